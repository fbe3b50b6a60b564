#include "ini/clsINI.h"

#include <algorithm>
#include <utility>

#include "ini/FileIo.h"

namespace zeb {

const std::string NulString(1, '\0');

namespace {

// The first section or entry of the list whose name matches.
template <typename List>
auto FindByName(List& list, const std::string& name) {
    return std::ranges::find_if(list,
                                [&](const auto& item) { return NamesMatch(item.Name, name); });
}

// Converts a 1-based index to a position in a list of `size` items; -1 when outside it.
std::ptrdiff_t Position(int32_t index, size_t size) {
    if (index < 1 || static_cast<size_t>(index) > size) {
        return -1;
    }
    return index - 1;
}

}  // namespace

clsINI::clsINI() : clsINI(std::make_shared<const FileSystem>()) {}

clsINI::clsINI(std::shared_ptr<const FileSystem> fs) : fs_(std::move(fs)) {}

IniSection* clsINI::FindSection(const std::string& section) {
    const auto found = FindByName(sections_, section);
    return found == sections_.end() ? nullptr : &*found;
}

const IniSection* clsINI::FindSection(const std::string& section) const {
    const auto found = FindByName(sections_, section);
    return found == sections_.end() ? nullptr : &*found;
}

bool clsINI::RemoveSection(const std::string& section) {
    const IniSection* found = FindSection(section);
    if (found == nullptr) {
        return false;
    }
    sections_.erase(sections_.begin() + (found - sections_.data()));
    return true;
}

bool clsINI::SectionExists(const std::string& section) const {
    return FindSection(section) != nullptr;
}

bool clsINI::UpdateFile() {
    if (fileName_.empty()) {
        return false;
    }
    ReplaceFile(*fs_, fileName_, FormatIni(sections_));
    return true;
}

bool clsINI::ValueExists(const std::string& section, const std::string& key) const {
    const IniSection* found = FindSection(section);
    return found != nullptr && FindByName(found->Values, key) != found->Values.end();
}

std::string clsINI::ValueName(const std::string& section, int32_t index) const {
    const IniSection* found = FindSection(section);
    if (found == nullptr) {
        return NulString;
    }
    const auto position = Position(index, found->Values.size());
    return position < 0 ? NulString : found->Values[static_cast<size_t>(position)].Name;
}

bool clsINI::RemoveValue(const std::string& section, const std::string& key) {
    IniSection* found = FindSection(section);
    if (found == nullptr) {
        return false;
    }
    const auto entry = FindByName(found->Values, key);
    if (entry == found->Values.end()) {
        return false;
    }
    found->Values.erase(entry);
    return true;
}

bool clsINI::AddValue(const std::string& section, const std::string& key,
                      const std::string& value) {
    AddSection(section);
    IniSection* found = FindSection(section);
    if (FindByName(found->Values, key) != found->Values.end()) {
        return false;
    }
    found->Values.push_back(IniValue{key, value});
    return true;
}

int32_t clsINI::ValuesCount(const std::string& section) const {
    const IniSection* found = FindSection(section);
    return found == nullptr ? -1 : static_cast<int32_t>(found->Values.size());
}

void clsINI::Value(const std::string& section, const std::string& key, const std::string& value) {
    AddSection(section);
    IniSection* found = FindSection(section);
    const auto entry = FindByName(found->Values, key);
    if (entry != found->Values.end()) {
        entry->Value = value;
    } else {
        found->Values.push_back(IniValue{key, value});
    }
}

std::string clsINI::Value(const std::string& section, const std::string& key) const {
    const IniSection* found = FindSection(section);
    if (found == nullptr) {
        return NulString;
    }
    const auto entry = FindByName(found->Values, key);
    return entry == found->Values.end() ? NulString : entry->Value;
}

std::string clsINI::SectionName(int32_t index) const {
    const auto position = Position(index, sections_.size());
    return position < 0 ? NulString : sections_[static_cast<size_t>(position)].Name;
}

bool clsINI::AddSection(const std::string& section) {
    if (FindSection(section) != nullptr) {
        return false;
    }
    sections_.push_back(IniSection{section, {}});
    return true;
}

int32_t clsINI::SectionsCount() const {
    return static_cast<int32_t>(sections_.size());
}

void clsINI::FileName(const std::string& path) {
    fileName_ = path;
    sections_.clear();
    if (const auto bytes = ReadFileIfExists(path)) {
        sections_ = ParseIni(*bytes);
    }
}

const std::string& clsINI::FileName() const {
    return fileName_;
}

}  // namespace zeb
