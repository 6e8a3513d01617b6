// The sound device that skorvane and skorvane-preview play the music on. Where no sound device
// opens, the music still loads and plays, on SDL's silent one, and one line says so.
#pragma once

// Opens SDL_mixer's device (44.1 kHz, 16-bit stereo). Where that fails, prints "cannot open the
// audio device: REASON; playing without sound" and opens SDL's silent dummy device instead.
// Returns whether the music is heard. Where not even the silent device opens, ends the process
// with one line and status 1.
bool openAudioDevice();
