add_executable(bench_startup_settings ${CMAKE_CURRENT_LIST_DIR}/startup_settings_bench.cpp)
target_link_libraries(bench_startup_settings PRIVATE smx_options Qt6::Core)
add_dependencies(bench_startup_settings speedmetrix)
target_compile_definitions(bench_startup_settings PRIVATE SMX_EXECUTABLE="$<TARGET_FILE:speedmetrix>")
