#pragma once
// Sound: a tone (Beep) and WAVE resources played asynchronously, optionally
// looping. Callable from any thread; never blocks the caller. Without an
// audio device every call is silent.

#include "Resources.h"
#include "WinTypes.h"

BOOL Beep(DWORD frequency, DWORD duration);

namespace platform {

void PlayWaveResource(HINSTANCE module, UINT id, bool loop);
void StopAllSounds();

// Builds the WAVE file of a sine tone (16-bit mono PCM), as Beep plays it.
QByteArray MakeToneWave(DWORD frequency, DWORD durationMs, int sampleRate = 22050);

// True when an audio output exists; sounds are dropped otherwise.
bool HasAudioOutput();

} // namespace platform
