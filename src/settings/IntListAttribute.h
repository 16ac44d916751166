#pragma once

#include "Attribute.h"

#include <cstdint>
#include <vector>

/** A setting that is itself a list of integers (the channel mapping), saved as its int-list text.

    Users index, resize and assign it through the vector interface without the lock. A writer
    that wants observers to hear of a change calls notifyObservers itself; one that sets a new
    baseline calls saveState. */
class IntListAttribute : public Attribute,
                         public std::vector<int32_t>
{
public:
    /** The list has no display value of its own; it is the empty text. */
    std::wstring getDisplayValue() const override;

    void save (XmlNode* parent) override;

    /** A non-empty text replaces the whole list; an empty text or a missing element keeps it. */
    void load (XmlNode* parent) override;

    void saveState() override;

    /** Returns to the revert point and notifies, whether or not the list changed. */
    void restoreState() override;

    std::vector<int32_t> savedList;
};
