#pragma once
// The program's INI store: a whole file held in memory as ordered sections of ordered entries.
// Setting FileName loads the file; queries and edits work on memory; UpdateFile writes the
// whole store back. Texts are bytes, kept exactly. Lookups match names ignoring ASCII case and
// take the first matching section, then its first matching entry; duplicates are kept.
// Sections and entries are numbered from 1. One instance per load or save, one thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ini/FileSystem.h"
#include "ini/IniText.h"

namespace zeb {

// What a query returns for a missing item: one character of code 0, not the empty text.
extern const std::string NulString;

class clsINI {
  public:
    clsINI();
    // For tests that make a step of UpdateFile fail.
    explicit clsINI(std::shared_ptr<const FileSystem> fs);

    bool RemoveSection(const std::string& section);
    bool SectionExists(const std::string& section) const;
    // False, writing nothing, while FileName is empty. Otherwise replaces the file with the
    // store's text; throws std::system_error (OS error number) when it cannot be written.
    bool UpdateFile();
    bool ValueExists(const std::string& section, const std::string& key) const;
    std::string ValueName(const std::string& section, int32_t index) const;
    bool RemoveValue(const std::string& section, const std::string& key);
    bool AddValue(const std::string& section, const std::string& key, const std::string& value);
    int32_t ValuesCount(const std::string& section) const;
    void Value(const std::string& section, const std::string& key, const std::string& value);
    std::string Value(const std::string& section, const std::string& key) const;
    std::string SectionName(int32_t index) const;
    bool AddSection(const std::string& section);
    int32_t SectionsCount() const;
    // Discards the store, then loads the file if one of that name exists. Throws
    // std::system_error (OS error number) when it exists but cannot be read.
    void FileName(const std::string& path);
    const std::string& FileName() const;

    // Every section with its entries, duplicates included, in order.
    const std::vector<IniSection>& Sections() const { return sections_; }

  private:
    IniSection* FindSection(const std::string& section);
    const IniSection* FindSection(const std::string& section) const;

    std::shared_ptr<const FileSystem> fs_;
    std::string fileName_;
    std::vector<IniSection> sections_;
};

}  // namespace zeb
