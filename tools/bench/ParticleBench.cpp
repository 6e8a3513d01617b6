// Cost of one star-stream frame: CircParticle::update of the ToInfinity scene's 600 particles,
// simulation and upload together. Needs a display for the hidden GL window.
#include "CircParticle.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

bool createContext() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_Window* window =
        SDL_CreateWindow("skorvane-bench", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window || !SDL_GL_CreateContext(window)) return false;
    glewExperimental = GL_TRUE;
    return glewInit() == GLEW_OK;
}

void circParticleUpdate(benchmark::State& state) {
    vexel::CircParticle stars(600, 0.0f, 1.0f, 10.0f, 10.0f, 0.0);
    double time = 0.0;
    for (auto _ : state) {
        time += 1.0 / 60.0;
        stars.update(time);
    }
    // Make sure the uploads have reached the driver before the clock stops.
    glFinish();
}
BENCHMARK(circParticleUpdate)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (!createContext()) {
        std::printf("cannot create a GL 4.1 core context: %s\n", SDL_GetError());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
