// The checks on the public evaluation images skip when the folder is absent,
// but fail in a CI run, so that CI cannot pass without running them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "support/public_eval.h"

namespace datrevo {
namespace {

// Sets or clears CI for one test and puts back what was there.
class CiVariable {
public:
    explicit CiVariable(const char* value) {
        if (const char* before = std::getenv("CI")) before_ = before;
        if (value != nullptr)
            setenv("CI", value, 1);
        else
            unsetenv("CI");
    }
    ~CiVariable() {
        if (before_)
            setenv("CI", before_->c_str(), 1);
        else
            unsetenv("CI");
    }
    CiVariable(const CiVariable&) = delete;
    CiVariable& operator=(const CiVariable&) = delete;

private:
    std::optional<std::string> before_;
};

constexpr const char* kMissing = "/nonexistent/datrevo/shared/eval/public";

TEST(PublicEvalFolder, MissingOutsideCiMeansSkip) {
    CiVariable ci(nullptr);
    EXPECT_FALSE(test::PublicEvalDirAt(kMissing));
}

TEST(PublicEvalFolder, MissingInCiFails) {
    CiVariable ci("true");
    EXPECT_THROW(test::PublicEvalDirAt(kMissing), std::runtime_error);
}

TEST(PublicEvalFolder, PresentIsFoundEitherWay) {
    const std::filesystem::path here = std::filesystem::temp_directory_path();
    {
        CiVariable ci("true");
        const auto found = test::PublicEvalDirAt(here);
        EXPECT_TRUE(found && *found == here);
    }
    CiVariable ci(nullptr);
    const auto found = test::PublicEvalDirAt(here);
    EXPECT_TRUE(found && *found == here);
}

}  // namespace
}  // namespace datrevo
