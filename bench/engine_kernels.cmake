# The engine's kernels beside bare reference loops with the same semantics.
add_executable(engine_kernels ${CMAKE_CURRENT_LIST_DIR}/engine_kernels.cpp)
target_link_libraries(engine_kernels PRIVATE smx_engine)
