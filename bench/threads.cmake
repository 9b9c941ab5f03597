add_executable(bench_threads ${CMAKE_CURRENT_LIST_DIR}/threads_bench.cpp)
target_link_libraries(bench_threads PRIVATE smx_options Qt6::Core)
add_dependencies(bench_threads speedmetrix)
target_compile_definitions(bench_threads PRIVATE SMX_EXECUTABLE="$<TARGET_FILE:speedmetrix>")
