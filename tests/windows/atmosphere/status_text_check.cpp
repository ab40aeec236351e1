// Under wine: the overlay's own "%.2f" against mingw's C99 printf, over the
// same spread of floats as the Linux test. Exit status 0 when they agree.
#include <cstdio>

#include "tests/debug/fixed2_check.h"

int main() {
    const Fixed2Report report = CompareFixed2WithPrintf(4093);
    std::printf("%llu floats compared, %llu mismatches\n", static_cast<unsigned long long>(report.compared),
                static_cast<unsigned long long>(report.mismatches));
    if (report.mismatches != 0) std::printf("first: %s\n", report.first.c_str());
    return report.mismatches == 0 && report.compared > 1000000 ? 0 : 1;
}
