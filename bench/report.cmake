add_executable(bench_report ${CMAKE_CURRENT_LIST_DIR}/report_bench.cpp)
target_link_libraries(bench_report PRIVATE smx_options Qt6::Core)
add_dependencies(bench_report speedmetrix)
target_compile_definitions(bench_report PRIVATE SMX_EXECUTABLE="$<TARGET_FILE:speedmetrix>")
