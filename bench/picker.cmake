# The item picker alone: filled, sorted and shown with long lists.
add_executable(bench_picker ${CMAKE_CURRENT_LIST_DIR}/picker_bench.cpp)
target_link_libraries(bench_picker PRIVATE smx_dialogs)
