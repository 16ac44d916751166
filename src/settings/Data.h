#pragma once

#include "Attribute.h"

#include <vector>

/** The owner of a group of settings. It observes each of its settings (and ignores what it hears)
    and saves and loads them all in the order they were registered by Attribute::init.

    Settings are members of their owner and so are destroyed before this part of it; the owner
    holds them only by weak reference all the same. */
class Data : public AttributeObserver
{
public:
    Data() = default;

    void onAttributeChanged (AttributeChangedEvent&) override {}

    /** Unregisters the owner from every setting that still exists. */
    ~Data() override;

    /** Appends one element per setting to `parent`, taking each setting's lock in turn. */
    virtual void save (XmlNode* parent);

    /** Loads every setting from `parent`; with a null parent every setting keeps its value and
        moves its revert point to it. */
    virtual void load (XmlNode* parent);

    virtual void addAttributeObserver (juce::WeakReference<AttributeObserver>);
    virtual void removeAttributeObserver (juce::WeakReference<AttributeObserver>);

    std::vector<juce::WeakReference<Attribute>> attributes;

private:
    JUCE_DECLARE_NON_COPYABLE (Data)
};
