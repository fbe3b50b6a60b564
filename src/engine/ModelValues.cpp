#include "engine/ModelValues.h"

#include <utility>

namespace zeb {

RangedValue::RangedValue(int32_t min, int32_t max, int32_t value)
    : min_(min), max_(max), value_(value < min ? min : (value > max ? max : value)) {}

bool RangedValue::Set(int32_t value) {
    if (value < min_ || value > max_) {
        return false;
    }
    value_ = value;
    return true;
}

ChoiceList::ChoiceList(std::vector<std::string> entries, bool editable)
    : entries_(std::move(entries)), editable_(editable) {}

bool ChoiceList::SetIndex(int32_t index) {
    if (index < -1 || index >= Count()) {
        return false;
    }
    index_ = index;
    if (editable_ && index >= 0) {
        text_ = entries_[static_cast<size_t>(index)];
    }
    return true;
}

std::string ChoiceList::Text() const {
    if (editable_) {
        return text_;
    }
    return index_ >= 0 ? entries_[static_cast<size_t>(index_)] : std::string();
}

bool ChoiceList::SetText(const std::string& text) {
    if (!editable_) {
        return false;
    }
    text_ = text;
    index_ = -1;
    return true;
}

void ChoiceList::Add(const std::string& entry) {
    entries_.push_back(entry);
}

bool ChoiceList::RemoveAt(int32_t index) {
    if (index < 0 || index >= Count()) {
        return false;
    }
    entries_.erase(entries_.begin() + index);
    index_ = -1;
    return true;
}

void ChoiceList::Clear() {
    entries_.clear();
    index_ = -1;
}

}  // namespace zeb
