add_executable(bench_startup ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp)
target_link_libraries(bench_startup PRIVATE smx_options Qt6::Core)
add_dependencies(bench_startup speedmetrix)
target_compile_definitions(bench_startup PRIVATE SMX_EXECUTABLE="$<TARGET_FILE:speedmetrix>")
