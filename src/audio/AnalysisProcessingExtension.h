#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** Offline analysis and processing operations a plug-in host may offer beside the framework's
    audio-processor interface. Every operation does nothing by default; nothing in the program
    calls them. */
class AnalysisProcessingExtension
{
public:
    virtual ~AnalysisProcessingExtension() = default;

    virtual void setAAXModeAudioSuite()                              { aaxModeAudioSuite = true; }
    virtual void prepareToAnalyze (int)                              {}
    virtual void analyzeAudio (juce::AudioBuffer<float>&)            {}
    virtual void postAnalyze()                                       {}
    virtual void prepareToProcess (int)                              {}
    virtual void processAudio (juce::AudioBuffer<float>&, juce::AudioBuffer<float>&) {}
    virtual void postProcess()                                       {}

    /** Set by setAAXModeAudioSuite; nothing reads it. */
    bool aaxModeAudioSuite = false;
};
