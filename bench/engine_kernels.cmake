# The engine's kernels beside bare reference loops with the same semantics. The memory test's
# reference alone is compiled for the processor the bench runs on, so this bench binary is not
# portable; the program and its libraries never get -march=native.
# The one reference source is built twice: for this processor and for the baseline.
add_library(bench_memory_native OBJECT ${CMAKE_CURRENT_LIST_DIR}/engine_kernels_native.cpp)
target_compile_definitions(bench_memory_native PRIVATE SMX_MEMORY_REFERENCE=native_memory_reference)
include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-march=native SMX_HAVE_MARCH_NATIVE)
if(SMX_HAVE_MARCH_NATIVE)
    target_compile_options(bench_memory_native PRIVATE -march=native)
endif()
add_library(bench_memory_baseline OBJECT ${CMAKE_CURRENT_LIST_DIR}/engine_kernels_native.cpp)
target_compile_definitions(bench_memory_baseline PRIVATE SMX_MEMORY_REFERENCE=baseline_memory)
set_target_properties(bench_memory_native bench_memory_baseline PROPERTIES AUTOMOC OFF)
add_executable(engine_kernels ${CMAKE_CURRENT_LIST_DIR}/engine_kernels.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/graphics_reference.cpp
                              $<TARGET_OBJECTS:bench_memory_native> $<TARGET_OBJECTS:bench_memory_baseline>)
target_link_libraries(engine_kernels PRIVATE smx_engine)
