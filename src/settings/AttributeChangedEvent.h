#pragma once

class Attribute;

/** What an observer is told about a change; built anew for every notification. A setting that
    notifies about itself sets both fields to itself. */
struct AttributeChangedEvent
{
    Attribute* source = nullptr;
    Attribute* changedAttribute = nullptr;
};
