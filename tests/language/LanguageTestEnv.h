#pragma once
// What the language suites share: a throwaway executable folder with its "languages" folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TestSupport.h"
#include "language/VxMultiLanguageEngine.h"
#include "ui/Paths.h"

namespace langtest {

using testsupport::ReadText;
inline bool Has(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetExeFolderOverride(folder_.Path());
    ForceDirectories(LanguagesFolder());
  }
  void TearDown() override { SetExeFolderOverride(L""); }
  std::wstring MakeFile(const std::wstring& name, const std::string& bytes) {
    std::ofstream(std::filesystem::path(LanguageFileName(name)), std::ios::binary) << bytes;
    return LanguageFileName(name);
  }
  bool NothingWritten() const { return std::filesystem::is_empty(std::filesystem::path(LanguagesFolder())); }

 private:
  testsupport::TempFolder folder_{L"lang"};
};

}  // namespace langtest
