#pragma once
// The page's access token: 128 random bits from the kernel (getrandom) as 32 hexadecimal
// digits, kept across restarts in a file only its owner may read, beside the settings file.

#include <filesystem>
#include <string>

namespace zeb {

// "web-token" in the settings file's folder.
std::filesystem::path WebTokenPath(const std::filesystem::path& settingsFile);

// A fresh token.
std::string NewWebToken();

// The stored token; a fresh one (stored) when there is none, when it is malformed, or when
// the file could be read by anyone but its owner (it may have been seen). `renew` always makes
// a fresh one. Throws std::system_error when the file cannot be written: the page then stays
// off, as a token that does not survive a restart would lock the user's bookmark out.
std::string LoadOrCreateWebToken(const std::filesystem::path& tokenFile, bool renew);

// Replaces the stored token with `token` (mode 0600, written beside and renamed over).
void StoreWebToken(const std::filesystem::path& tokenFile, const std::string& token);

// Whether `token` is 32 lower-case hexadecimal digits.
bool IsWellFormedWebToken(const std::string& token);

}  // namespace zeb
