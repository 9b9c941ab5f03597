# The engine's kernels beside bare reference loops with the same semantics. The memory test's
# reference alone is compiled for the processor the bench runs on, so this bench binary is not
# portable; the program and its libraries never get -march=native.
add_executable(engine_kernels ${CMAKE_CURRENT_LIST_DIR}/engine_kernels.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/engine_kernels_native.cpp)
target_link_libraries(engine_kernels PRIVATE smx_engine)
include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-march=native SMX_HAVE_MARCH_NATIVE)
if(SMX_HAVE_MARCH_NATIVE)
    set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/engine_kernels_native.cpp
                                PROPERTIES COMPILE_OPTIONS -march=native)
endif()
