#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it afterwards.
#include <string>

namespace testing_support {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // `name` below the folder, joined with the system's separator.
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

// Whole-file helpers for checking bytes.
std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);

}  // namespace testing_support
