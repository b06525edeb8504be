// PathConfinementTest.cpp - stored names that would leave the extraction root are refused per
// entry, in the component's mode and in the confined mode of the command-line tool; names that
// merely contain dots are not.
#include "ExtractorFixture.h"

namespace vexo::extract::testing {
namespace {

constexpr const char* kRoot = "C:\\out\\root";

struct NameCase {
    const char* what;
    std::string stored;
    bool confined;       // absolute names kept inside the root, as the tool does by default
    std::string landsAt; // empty: refused; otherwise the path under the root
};

class StoredNames : public ExtractorFixture, public ::testing::WithParamInterface<NameCase> {
  protected:
    void SetUp() override {
        ExtractorFixture::SetUp();
        ASSERT_TRUE(platform::CreateDirectory(kRoot));
    }
};

TEST_P(StoredNames, StayInsideTheRootOrAreRefused) {
    const NameCase& c = GetParam();
    std::string arc = Build({{c.stored, Compressible(7)}, {"last.txt", Compressible(8)}});
    TExtractor x;
    Prepare(x, arc);
    x.SetExtractPath(kRoot);
    x.SetAllowAbsolutePaths(!c.confined);
    x.SetErrorAction(archive::eaContinue);
    std::vector<std::string> errors;
    x.OnError = [&](archive::TArchiverRoot&, const std::exception& e, const archive::TFileEntry&,
                    archive::TErrorAction&) { errors.push_back(e.what()); };
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_TRUE(platform::FileExists(std::string(kRoot) + "\\last.txt"));
    if (c.landsAt.empty()) {
        EXPECT_EQ(errors,
                  std::vector<std::string>{"Nombre no permitido en el archivo: " + c.stored});
    } else {
        EXPECT_TRUE(errors.empty());
        EXPECT_TRUE(platform::FileExists(std::string(kRoot) + "\\" + c.landsAt)) << c.landsAt;
    }
    // Nothing beside the root or above it.
    for (const char* outside : {"C:\\out\\evil.txt", "C:\\evil.txt", "C:\\out\\x\\evil.txt"})
        EXPECT_FALSE(platform::FileExists(outside)) << outside;
}

INSTANTIATE_TEST_SUITE_P(
    Names, StoredNames,
    ::testing::Values(NameCase{"Parent", "..\\evil.txt", false, ""},
                      NameCase{"ParentAfterAFolder", "a\\..\\..\\evil.txt", false, ""},
                      NameCase{"ForwardSlashes", "a/../../evil.txt", false, ""},
                      NameCase{"ParentWithTrailingSpace", ".. \\evil.txt", false, ""},
                      NameCase{"ThreeDots", "...\\evil.txt", false, ""},
                      NameCase{"DriveRelativeParent", "C:..\\evil.txt", false, ""},
                      NameCase{"DriveRelativeParentConfined", "C:..\\evil.txt", true, ""},
                      NameCase{"DriveRootParentConfined", "C:\\..\\evil.txt", true, ""},
                      NameCase{"ShareParentConfined", "\\\\srv\\share\\..\\..\\evil.txt", true, ""},
                      NameCase{"ServerParentConfined", "\\\\..\\x\\evil.txt", true, ""},
                      NameCase{"DotsInsideNames", "a..b\\c..txt", false, "a..b\\c..txt"},
                      NameCase{"LeadingDots", "..a\\.b\\x.txt", false, "..a\\.b\\x.txt"},
                      NameCase{"CurrentDirectory", ".\\sub\\.\\x.txt", false, "sub\\x.txt"},
                      NameCase{"ConfinedDrive", "D:\\x\\evil.txt", true, "x\\evil.txt"},
                      NameCase{"ConfinedShare", "\\\\srv\\share\\x.txt", true,
                               "srv\\share\\x.txt"}),
    [](const auto& row) { return std::string(row.param.what); });

} // namespace
} // namespace vexo::extract::testing
