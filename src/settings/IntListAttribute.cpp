#include "IntListAttribute.h"

#include "FastXml.h"
#include "IntListText.h"

std::wstring IntListAttribute::getDisplayValue() const
{
    return {};
}

void IntListAttribute::save (XmlNode* parent)
{
    const juce::ScopedWriteLock sl (lock);
    xmlAddTextNode (parent, key, intListToText (*this));
}

void IntListAttribute::load (XmlNode* parent)
{
    const juce::ScopedWriteLock sl (lock);
    const auto text = xmlGetText (parent, key, {});

    if (! text.empty())
        std::vector<int32_t>::operator= (textToIntList (text));

    saveState();
}

void IntListAttribute::saveState()
{
    savedList.assign (begin(), end());
}

void IntListAttribute::restoreState()
{
    std::vector<int32_t>::operator= (savedList);
    notifyObservers();
}
