#pragma once

#include "AttributeChangedEvent.h"

#include <juce_core/juce_core.h>

class Attribute;

/** Something that wants to hear when settings change. Settings hold their observers only by weak
    reference, so an observer may be destroyed while still registered: the settings then pass over
    its entry. */
class AttributeObserver
{
public:
    /** Called synchronously on the thread that changed the setting, after the setting's lock has
        been released. */
    virtual void onAttributeChanged (AttributeChangedEvent&) = 0;

    /** Called by a setting that is being destroyed; unregisters this observer from it. */
    virtual void detachAttribute (juce::WeakReference<Attribute>);

    virtual ~AttributeObserver();

private:
    JUCE_DECLARE_WEAK_REFERENCEABLE (AttributeObserver)
};
