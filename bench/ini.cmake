add_executable(bench_ini ${CMAKE_CURRENT_LIST_DIR}/ini_bench.cpp)
target_link_libraries(bench_ini PRIVATE smx_platform)
