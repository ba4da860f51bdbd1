/* The smallest x86 Windows program: prints a greeting and exits with 0. The
   Wine runner starts it once per test run to learn whether this machine runs
   32-bit code at all. */
#include <stdio.h>

int main(void)
{
    puts("x86 code runs");
    return 0;
}
