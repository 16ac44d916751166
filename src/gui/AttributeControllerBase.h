#pragma once

#include "settings/AttributeObserver.h"

/** A component that edits a setting and can set or return to that setting's revert point. */
class AttributeControllerBase : public AttributeObserver
{
public:
    /** Makes the edited setting's current value its revert point. */
    virtual void saveState() = 0;

    /** Returns the edited setting to its revert point. */
    virtual void restoreState() = 0;
};
