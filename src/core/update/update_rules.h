#pragma once
// The pure half of the update check: finding the release tag in the answer's
// body and comparing it with the program's version.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tf {

// The project's version from CMake, so that a new release does not see itself
// as an update.
inline constexpr const wchar_t* kProgramVersion = L"" TALLYFRAME_VERSION;
// Release answers are a few tens of kilobytes; no more than this is searched.
inline constexpr size_t kTagSearchLimit = 1024 * 1024;

// The value of the first "tag_name" key, found by a plain text search (the body
// is not parsed as JSON): the bytes between the first two quotes after the
// key's colon, each byte one wide character. None when the body is shorter than
// 10 bytes or any step of the search fails. Never reads past the body's end.
std::optional<std::wstring> extractTagName(std::string_view body);

// (major, minor, patch): one leading 'v' or 'V' skipped, then "%d.%d.%d";
// components that cannot be read stay 0.
std::array<int, 3> versionTriple(const std::wstring& text);

// True when the tag's triple is greater than the program's version.
bool isNewerThanProgramVersion(const std::wstring& tag);

}  // namespace tf
