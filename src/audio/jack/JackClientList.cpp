#include "JackClientList.h"

namespace
{
juce::String clientOf (const juce::String& portName)
{
    return portName.upToFirstOccurrenceOf (":", false, false);
}
} // namespace

bool JackClientList::update (JackApi& api, jack_client_t* handle, const juce::String& ownName)
{
    const auto clientsWithPorts = [&] (unsigned long flags)
    {
        juce::StringArray names;

        if (handle != nullptr)
            for (auto& port : api.getAudioPorts (handle, flags))
                if (const auto client = clientOf (port); client != ownName)
                    names.addIfNotAlreadyThere (client);

        return names;
    };

    auto outputs = clientsWithPorts (JackPortIsOutput);
    auto inputs = clientsWithPorts (JackPortIsInput);

    if (outputs == withOutputs && inputs == withInputs)
        return false;

    withOutputs = std::move (outputs);
    withInputs = std::move (inputs);
    return true;
}

juce::StringArray JackClientList::getPortNames (JackApi& api, jack_client_t* handle, const juce::String& clientName,
                                                bool inputPorts)
{
    juce::StringArray names;

    if (handle == nullptr || clientName.isEmpty())
        return names;

    for (auto& port : api.getAudioPorts (handle, inputPorts ? JackPortIsInput : JackPortIsOutput))
        if (clientOf (port) == clientName)
            names.add (port.fromFirstOccurrenceOf (":", false, false));

    return names;
}
