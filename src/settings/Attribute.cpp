#include "Attribute.h"

#include "Data.h"

#include <algorithm>

Attribute::~Attribute()
{
    // An observer's detachAttribute may change the list in any way, so every round looks the
    // list up afresh; each live observer is asked once and stale entries are dropped.
    std::vector<AttributeObserver*> asked;

    for (;;)
    {
        const auto next = std::find_if (observers.begin(), observers.end(), [&asked] (const auto& entry)
        {
            auto* observer = entry.get();
            return observer == nullptr || std::find (asked.begin(), asked.end(), observer) == asked.end();
        });

        if (next == observers.end())
            break;

        if (auto* observer = next->get())
        {
            asked.push_back (observer);
            observer->detachAttribute (this);
        }
        else
        {
            observers.erase (next);
        }
    }

    masterReference.clear();
}

void Attribute::addAttributeObserver (juce::WeakReference<AttributeObserver> observer)
{
    const auto* target = observer.get();

    if (std::none_of (observers.begin(), observers.end(), [target] (const auto& entry) { return entry.get() == target; }))
        observers.push_back (std::move (observer));
}

void Attribute::removeAttributeObserver (juce::WeakReference<AttributeObserver> observer)
{
    const auto* target = observer.get();
    const auto found = std::find_if (observers.begin(), observers.end(), [target] (const auto& entry) { return entry.get() == target; });

    if (found != observers.end())
        observers.erase (found);
}

void Attribute::init (Data* owner, const std::wstring& newKey, const std::wstring& newDisplayName)
{
    const juce::ScopedReadLock sl (lock);

    key = newKey;
    displayName = newDisplayName;

    if (owner != nullptr)
    {
        addAttributeObserver (owner);

        auto& owned = owner->attributes;

        if (std::none_of (owned.begin(), owned.end(), [this] (const auto& entry) { return entry.get() == this; }))
            owned.push_back (this);
    }
}

void Attribute::notifyObservers()
{
    const auto snapshot = observers;
    const juce::WeakReference<Attribute> self (this);
    AttributeChangedEvent event { this, this };

    for (const auto& entry : snapshot)
    {
        // An observer may destroy this setting; the rest of the round then has nothing to report.
        if (self.get() == nullptr)
            return;

        if (auto* observer = entry.get())
            observer->onAttributeChanged (event);
    }
}
