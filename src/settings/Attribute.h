#pragma once

#include "AttributeObserver.h"

#include <juce_core/juce_core.h>

#include <string>
#include <vector>

class Data;
class XmlNode;

/** A typed setting with a key (also its XML element name), a display name, its own read/write
    lock, a revert point and observers that are told when the value changes.

    Every operation runs on the message thread. The lock guards the value against the state-block
    operations a host may call from its own thread; observers are always called after it has been
    released, so they may take it themselves. The observer list itself is not locked. */
class Attribute
{
public:
    Attribute() = default;

    /** Asks every live observer to detach, then makes every weak reference to this setting read
        as gone. */
    virtual ~Attribute();

    virtual std::wstring getDisplayValue() const = 0;

    /** Appends this setting's element to `parent`. */
    virtual void save (XmlNode* parent) = 0;

    /** Reads this setting's element from `parent`, then moves the revert point to the result.
        A missing element keeps the value. Notifies nobody. */
    virtual void load (XmlNode* parent) = 0;

    /** Makes the current value the revert point. */
    virtual void saveState() = 0;

    /** Returns to the revert point. */
    virtual void restoreState() = 0;

    /** Registers an observer unless it is registered already. */
    virtual void addAttributeObserver (juce::WeakReference<AttributeObserver>);

    /** Unregisters an observer; a null reference removes the first entry whose observer is gone. */
    virtual void removeAttributeObserver (juce::WeakReference<AttributeObserver>);

    /** Sets the key and display name and, with an owner, registers the owner as an observer and
        this setting with the owner. Called once, from the owner's constructor. */
    void init (Data* owner, const std::wstring& newKey, const std::wstring& newDisplayName);

    /** Calls every live observer once, in registration order. Observers may register or
        unregister while being called; those changes take effect from the next notification. */
    void notifyObservers();

    std::wstring key, displayName;
    juce::ReadWriteLock lock;
    std::vector<juce::WeakReference<AttributeObserver>> observers;

private:
    JUCE_DECLARE_WEAK_REFERENCEABLE (Attribute)
    JUCE_DECLARE_NON_COPYABLE (Attribute)
};
