#pragma once
#include <QString>

namespace smx::engine {

// One result set: a name and eight extended-precision values, always in this order.
struct TBenchmark_Results {
    QString Name;
    long double Integer_Operations_Per_Sec = 0;
    long double Floating_Point_Operations_Per_Sec = 0;
    long double Memory_Speed_MB_Per_Sec = 0;
    long double Small_Files_KB_Per_Sec = 0;
    long double Large_Files_KB_Per_Sec = 0;
    long double Windows_Controls_Operations_Per_Sec = 0;
    long double Windows_Graphics_Pixels_Per_Sec = 0;
    long double Elapsed_Time_MSec = 0;

    static constexpr int Rate_Count = 7;
    // The seven rates by test index (0 = integer ... 6 = 2D graphics).
    long double& rate(int index);
    long double rate(int index) const;
};

inline long double& TBenchmark_Results::rate(int index) {
    switch (index) {
    case 0:
        return Integer_Operations_Per_Sec;
    case 1:
        return Floating_Point_Operations_Per_Sec;
    case 2:
        return Memory_Speed_MB_Per_Sec;
    case 3:
        return Small_Files_KB_Per_Sec;
    case 4:
        return Large_Files_KB_Per_Sec;
    case 5:
        return Windows_Controls_Operations_Per_Sec;
    default:
        return Windows_Graphics_Pixels_Per_Sec;
    }
}

inline long double TBenchmark_Results::rate(int index) const {
    return const_cast<TBenchmark_Results*>(this)->rate(index);
}

} // namespace smx::engine
