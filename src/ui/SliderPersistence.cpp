// Writing and reading the slider's stored properties.

#include <optional>

#include "ui/Slider.h"

namespace zeb {

namespace {

// Defaults of a new instance; a property equal to its default is not written.
constexpr Colour kDefaultBackColor = kButtonFaceColour;
constexpr int32_t kDefaultMax = 10;

const QVariant* Find(const SliderProperties& properties, const char* name) {
    for (const SliderProperty& property : properties) {
        if (property.name == QLatin1String(name)) {
            return &property.value;
        }
    }
    return nullptr;
}

template <typename T>
std::optional<T> Read(const SliderProperties& properties, const char* name) {
    const QVariant* value = Find(properties, name);
    if (value == nullptr) {
        return std::nullopt;
    }
    QVariant converted = *value;
    if (!converted.convert(QMetaType::fromType<T>())) {
        return std::nullopt;
    }
    return converted.value<T>();
}

std::optional<QImage> ReadImage(const SliderProperties& properties, const char* name) {
    const QVariant* value = Find(properties, name);
    if (value == nullptr || value->metaType() != QMetaType::fromType<QImage>()) {
        return std::nullopt;
    }
    return value->value<QImage>();
}

}  // namespace

SliderProperties Slider::WriteProperties() const {
    SliderProperties out;
    auto write = [&out](const char* name, QVariant value) {
        out.push_back({QString::fromLatin1(name), std::move(value)});
    };
    if (backColor_ != kDefaultBackColor) {
        write("BackColor", QVariant::fromValue<uint32_t>(backColor_));
    }
    if (!enabled_) {
        write("Enabled", false);
    }
    if (!mouseIcon_.isNull()) {
        write("MouseIcon", mouseIcon_);
    }
    if (mousePointer_ != 0) {
        write("MousePointer", static_cast<int>(mousePointer_));
    }
    if (!thumbImage_.isNull()) {
        write("SliderImage", thumbImage_);
    }
    if (orientation_ != kVertical) {
        write("Orientation", orientation_);
    }
    if (!railImage_.isNull()) {
        write("RailImage", railImage_);
    }
    if (railStyle_ != kRailSunken) {
        write("RailStyle", railStyle_);
    }
    if (!showValueTip_) {
        write("ShowValueTip", false);
    }
    if (min_ != 0) {
        write("Min", min_);
    }
    if (max_ != kDefaultMax) {
        write("Max", max_);
    }
    if (value_ != 0) {
        write("Value", value_);
    }
    return out;
}

void Slider::ReadProperties(const SliderProperties& properties) {
    backColor_ = Read<uint32_t>(properties, "BackColor").value_or(kDefaultBackColor);
    mousePointer_ = static_cast<int16_t>(Read<int>(properties, "MousePointer").value_or(0));
    mouseIcon_ = ReadImage(properties, "MouseIcon").value_or(QImage());
    enabled_ = Read<bool>(properties, "Enabled").value_or(true);
    orientation_ = Read<int32_t>(properties, "Orientation").value_or(kVertical);
    railStyle_ = Read<int32_t>(properties, "RailStyle").value_or(kRailSunken);
    showValueTip_ = Read<bool>(properties, "ShowValueTip").value_or(true);
    // Stored as they were saved: no range checks and no events.
    min_ = Read<int32_t>(properties, "Min").value_or(0);
    max_ = Read<int32_t>(properties, "Max").value_or(kDefaultMax);
    value_ = Read<int32_t>(properties, "Value").value_or(0);
    thumbImage_ = ReadImage(properties, "SliderImage").value_or(QImage());
    railImage_ = ReadImage(properties, "RailImage").value_or(QImage());
    range_ = max_ - min_;
    lastValue_ = value_;
    ApplyCursor();
    Layout();
}

}  // namespace zeb
