// The thread locale setup picks on NT.
#include <gtest/gtest.h>

#include "core/locale_choice.h"

using vx::setup::thread_locale_to_set;

TEST(LocaleChoice, SupportedStaysOthersMatchByLowByteOrFallBackToEnglish)
{
    for (std::uint32_t kept : {0x0404u, 0x0804u, 0x0409u, 0x0411u, 0x080Au, 0x041Du})
        EXPECT_FALSE(thread_locale_to_set(kept).has_value()) << std::hex << kept;
    EXPECT_EQ(0x0404, thread_locale_to_set(0x0C04));  // Chinese (Hong Kong): first with low byte 04
    EXPECT_EQ(0x0409, thread_locale_to_set(0x0809));  // English (UK)
    EXPECT_EQ(0x080A, thread_locale_to_set(0x0C0A));  // Spanish (Spain) -> the Mexican entry
    EXPECT_EQ(0x0407, thread_locale_to_set(0x0807));  // German (Switzerland)
    EXPECT_EQ(0x0409, thread_locale_to_set(0x0419));  // Russian: no match
    EXPECT_EQ(0x0404, thread_locale_to_set(0x10404)); // with a sort id: set to the plain identifier
}
