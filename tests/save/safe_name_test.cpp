#include <gtest/gtest.h>

#include "save/safe_name.h"

namespace datrevo {
namespace {

TEST(SafeName, NamesThatWouldClimbOutOrSplitArePredictablyMended) {
    EXPECT_EQ(SafeName(".."), "__");
    EXPECT_EQ(SafeName("."), "_");
    EXPECT_EQ(SafeName(""), "_");
    EXPECT_EQ(SafeName("a/b"), "a_b");
    EXPECT_EQ(SafeName("../../etc/passwd"), ".._.._etc_passwd");
    EXPECT_EQ(SafeName("back\\slash"), "back_slash");
    EXPECT_EQ(SafeName(std::string("nul\0byte", 8)), "nul_byte");
    EXPECT_EQ(SafeName("bell\x07\x1f\x7f"), "bell___");
    EXPECT_EQ(SafeName("what?<is>:this*|\""), "what__is__this___");
}

TEST(SafeName, OrdinaryNamesStayAsTheyAre) {
    for (const char* name :
         {"01 First Track.mp3", "Привет.mp3", "日本.txt", ".hidden", "a..b", "DIR_3", "Dir12"})
        EXPECT_EQ(SafeName(name), name);
}

TEST(SafeName, OverlongNamesAreCutAtACharacterBoundaryKeepingTheExtension) {
    std::string name;
    for (int i = 0; i < 200; ++i) name += "é";  // 400 bytes
    const std::string safe = SafeName(name + ".txt");
    EXPECT_LE(safe.size(), 255u);
    EXPECT_EQ(safe.substr(safe.size() - 4), ".txt");
    EXPECT_EQ(safe.size() % 2, 0u) << "a two-byte character was split";
}

TEST(SafeName, NumberedNamesGoBeforeTheExtension) {
    EXPECT_EQ(NumberedName("song.mp3", 2), "song (2).mp3");
    EXPECT_EQ(NumberedName("README", 3), "README (3)");
    EXPECT_EQ(NumberedName(".profile", 2), ".profile (2)");
}

TEST(SafeName, AFolderGivesEachEntryItsOwnName) {
    FolderNames names;
    EXPECT_EQ(names.claim("_EPORT.TXT"), "_EPORT.TXT");
    EXPECT_EQ(names.claim("_EPORT.TXT"), "_EPORT (2).TXT");
    EXPECT_EQ(names.claim(".."), "__");
    EXPECT_EQ(names.claim("__"), "__ (2)");
    EXPECT_EQ(names.claim("_EPORT.TXT"), "_EPORT (3).TXT");
}

}  // namespace
}  // namespace datrevo
