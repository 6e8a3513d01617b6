// The demo Velmora: its six scenes in timeline order, and the motion functions they draw with.
#pragma once

#include "CircParticle.h"
#include "Config.h"
#include "CubeMap.h"
#include "Demo.h"
#include "Matrix.h"
#include "Mesh3D.h"
#include "ShaderProgram.h"
#include "Sprite.h"
#include "Timeframe.h"

#include <GL/glew.h>

#include <array>
#include <optional>

class ToInfinity;

// One scene of the show: its name and its window of demo time, which holds its start; the end is
// the next scene's start, and the last scene's end the show's last frame.
struct SceneWindow {
    const char* name;
    double start;
    double end;
};

// The six scenes in the order they play; each scene takes its window from here.
extern const std::array<SceneWindow, 6> velmoraTimeline;

// The terrain's fill colour under its cyan wire ("FILL_COL"), as red, green and blue from 0 to 1.
extern const std::array<float, 3> terrainFill;

// Demo time of frame n at `fps` frames a second, in whole milliseconds as the live clock gives it.
double frameTime(long n, int fps);

class Velmora : public vexel::Demo {
public:
    // Sets the GL state that holds for the whole show.
    Velmora(int w, int h);

    // Loads config.txt and builds the six scenes in timeline order.
    void init() override;

    // The registry init() loaded, for tools that reload its files in place; null before init().
    vexel::Config* registry() const { return config; }

    // The star stream of ToInfinity carries its state from frame to frame. rewindStarStream puts it
    // back as it stood when the scene was built; replayStarStream moves it through every frame a live
    // show at `fps` would draw after demo time `from` and before `time`, without drawing them.
    void rewindStarStream();
    void replayStarStream(double from, double time, int fps);

private:
    vexel::Config* config = nullptr; // lives until the process exits
    ToInfinity* toInfinity = nullptr;
};

// Eye point and the four "tinyplanet" parameters of TerrainAndCars at one demo time.
struct PlanetFrame {
    std::array<double, 3> pos;
    float param1;
    float param2;
    float param3;
    float param4;
};

// The TerrainAndCars timetable. Each stage runs from its start, inclusive, to the next one's, so a
// seam shows the stage it begins and no frame falls between two stages.
PlanetFrame planetTimetable(double time);

// TerrainAndCars' camera for cube-map face `face` (+X, -X, +Y, -Y, +Z, -Z) with its eye at `eye`.
vexel::Matrix cubeFaceCamera(std::array<double, 3> eye, int face);

// Intro's eye on its circle around the cars, from absolute demo time.
std::array<double, 3> introEye(double time);
// WholeWorld's eye, 60 units out and 30 up, from the scene time rtime.
std::array<double, 3> wholeWorldEye(double rtime);
// ToInfinity's eye, from the scene time s; its up vector is the x axis.
std::array<double, 3> toInfinityEye(double s);
// CarDrop's terrain shift towards the viewer along z, from the scene time s.
double carDropSlide(double s);
// CarDrop's fall of the cars and wheels along y (zero, then negative), from the scene time s.
double carDropDrop(double s);

class Title : public vexel::Timeframe {
public:
    explicit Title(vexel::Config* c);
    void show(double time) override;

private:
    vexel::ShaderProgram* simple;
    vexel::Sprite* screenquad; // owned, never deleted
    GLuint title1;
    GLuint title2;
};

class Intro : public vexel::Timeframe {
public:
    Intro(int w, int h, vexel::Config* c);
    void show(double time) override;

private:
    vexel::ShaderProgram* wireframe;
    vexel::ShaderProgram* simple;
    vexel::Mesh3D* terrain;
    vexel::Mesh3D* charger;
    vexel::Mesh3D* toycar;
    vexel::Mesh3D* wheel;
    vexel::Mesh3D* skybox;
    vexel::Matrix pmatrix;
    unsigned int stars;

    void geometry(vexel::Matrix camera);
};

class TerrainAndCars : public vexel::Timeframe {
public:
    TerrainAndCars(int w, int h, vexel::Config* c);
    void show(double time) override;

private:
    vexel::ShaderProgram* wireframe;
    vexel::ShaderProgram* simple;
    vexel::ShaderProgram* tinyplanet;
    vexel::Mesh3D* terrain;
    vexel::Mesh3D* charger;
    vexel::Mesh3D* toycar;
    vexel::Mesh3D* wheel;
    vexel::Mesh3D* skybox;
    vexel::Matrix pmatrix;
    vexel::CubeMap* cubemap; // owned, never deleted
    unsigned int stars;
    vexel::Sprite* screenquad; // owned, never deleted

    // Draws the world once for the scene time `time` (seconds since start).
    void geometry(double time, vexel::Matrix camera);
};

class CarDrop : public vexel::Timeframe {
public:
    CarDrop(int w, int h, vexel::Config* c);
    void show(double time) override;

private:
    vexel::ShaderProgram* wireframe;
    vexel::ShaderProgram* simple;
    vexel::Mesh3D* terrain;
    vexel::Mesh3D* charger;
    vexel::Mesh3D* toycar;
    vexel::Mesh3D* wheel;
    vexel::Mesh3D* skybox;
    vexel::Matrix pmatrix;
    GLuint stars;
};

class WholeWorld : public vexel::Timeframe {
public:
    WholeWorld(int w, int h, vexel::Config* c);
    void show(double time) override;

private:
    vexel::Mesh3D* turtle;
    vexel::Mesh3D* terrain;
    vexel::Mesh3D* charger;
    vexel::Mesh3D* toycar;
    vexel::Mesh3D* skybox;
    vexel::Matrix pmatrix;
    vexel::ShaderProgram* wireframe;
    vexel::ShaderProgram* simple;
    vexel::ShaderProgram* title;
    unsigned int poet;
    unsigned int stars;
    vexel::Sprite* screenquad; // owned, never deleted
};

class ToInfinity : public vexel::Timeframe {
public:
    ToInfinity(int w, int h, vexel::Config* c);
    void show(double time) override;

    // See Velmora::rewindStarStream and Velmora::replayStarStream; advance moves the stream to
    // demo time `time` as drawing that frame would.
    void rewind();
    void advance(double time);

private:
    vexel::Mesh3D* charger;
    vexel::Mesh3D* toycar;
    vexel::Mesh3D* wheel;
    vexel::Matrix pmatrix;
    vexel::ShaderProgram* wireframe;
    vexel::ShaderProgram* starshader;
    float screenwidth;  // the star program sizes its stars in pixels
    float screenheight;
    vexel::CircParticle* stars; // owned, never deleted
    // The emitter and the drand48 sequence it draws from, as they were at the end of construction.
    // The copy names the same GL buffers, which every update() fills anew.
    std::optional<vexel::CircParticle> builtStars;
    std::array<unsigned short, 3> builtRandomState;
};
