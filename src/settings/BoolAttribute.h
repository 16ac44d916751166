#pragma once

#include "Attribute.h"

/** An on/off setting, saved as the text "1" or "0". */
class BoolAttribute : public Attribute
{
public:
    /** Stores the value under the write lock and then notifies, unless it is unchanged. */
    void setValue (bool newValue);

    std::wstring getDisplayValue() const override;
    void save (XmlNode* parent) override;

    /** Only the exact text "1" reads as true. */
    void load (XmlNode* parent) override;

    void saveState() override;
    void restoreState() override;

    /** Written under the lock; the message thread reads it without. */
    bool value = false;
    bool savedValue = false;
};
