#pragma once
// The folder of the executable is where the program keeps user data, language files and
// its error log. Tests point it at a temporary folder of their own.
#include <string>
#include <vector>

// With its trailing backslash.
std::wstring ExeFolder();
// Empty restores the real folder.
void SetExeFolderOverride(const std::wstring& folder);

bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
bool ForceDirectories(const std::wstring& path);
std::wstring ExtractFileName(const std::wstring& path);
std::wstring ExtractFilePath(const std::wstring& path);  // with the trailing backslash
std::wstring IncludeTrailingBackslash(const std::wstring& path);
// Removes a folder with everything in it, except links. A link met on the way (the folder
// itself, or a file or folder in it that is a symbolic link or junction) is neither followed nor
// removed: a system may remove what it points to in its place. left, when given, receives each
// entry that stays: every link, and whatever could not be removed. Returns whether nothing is
// left; a folder that is not there is.
bool RemoveFolderTree(const std::wstring& folder, std::vector<std::wstring>* left = nullptr);
// Whether name can only be a file in the folder it is put in: not empty, no folder part, no
// drive, no dot or blank at the end (so not "." or ".."), no character a file name cannot hold,
// no device name.
bool IsPlainFileName(const std::wstring& name);
