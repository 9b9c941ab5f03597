#pragma once
#include <cstdint>

// The memory test's reference, the shortest code for the processor the bench runs on: loops
// times, malloc, memset to zero, element j := 2 * j in ascending order, free. Its own source
// file is the only one compiled for this processor (-march=native); the program and its
// libraries are built for the baseline instruction set.
void native_memory_reference(std::int32_t loops, std::int32_t size);
// The same loop built for the baseline x86-64 instruction set (16-byte stores in the fill), as
// the program's own build compiles it without run-time dispatch.
void baseline_memory(std::int32_t loops, std::int32_t size);
