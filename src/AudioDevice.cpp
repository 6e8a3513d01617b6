#include "AudioDevice.h"

#include "GLWindow.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <string>

namespace {

// The reason the device does not open, or nothing.
std::string openDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return SDL_GetError();
    if (Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048) != 0) return Mix_GetError();
    return "";
}

} // namespace

bool openAudioDevice() {
    std::string reason = openDevice();
    if (reason.empty()) return true;
    std::printf("cannot open the audio device: %s; playing without sound\n", reason.c_str());
    std::fflush(stdout);
    // The track is read through SDL_mixer, which needs a device: a silent one will do.
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    reason = openDevice();
    if (!reason.empty()) fail("cannot open the audio device: " + reason);
    return false;
}
