#include "velmora.h"

#include "GLDialect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

const std::array<SceneWindow, 6> velmoraTimeline = {{
    {"Title", 0.0, 6.0},
    {"Intro", 6.0, 12.0},
    {"TerrainAndCars", 12.0, 47.553},
    {"CarDrop", 47.553, 54.195},
    {"WholeWorld", 54.195, 70.536},
    {"ToInfinity", 70.536, 100.0},
}};

const std::array<float, 3> terrainFill = {12.0f / 255.0f, 37.0f / 255.0f, 59.0f / 255.0f};

namespace {

// The eight wheel places (x, z) at height 0.6: four around the toy car, then four around the charger.
const double wheelPlaces[8][2] = {
    {-3.2, 43.0}, {-3.2, 45.4}, {-4.8, 43.0}, {-4.8, 45.4},
    {4.9, 40.82}, {4.9, 46.6},  {2.0, 40.82}, {2.0, 46.6},
};

// drand48's state, read without disturbing it: seed48 hands back the state it replaces.
std::array<unsigned short, 3> randomState() {
    unsigned short probe[3] = {0, 0, 0};
    const unsigned short* old = seed48(probe);
    std::array<unsigned short, 3> state = {old[0], old[1], old[2]};
    seed48(state.data());
    return state;
}

// The registry files an unknown model as null, which a scene cannot draw: stop start-up here,
// naming the scene and the key, instead of failing at the first frame.
vexel::Mesh3D* needModel(vexel::Config* c, const char* scene, const char* key) {
    vexel::Mesh3D* model = c->getModel(key);
    if (model) return model;
    std::string message =
        std::string(scene) + " needs model \"" + key + "\", but config.txt files no Mesh by that name";
    std::puts(message.c_str());
    std::fflush(stdout);
    throw std::out_of_range(message);
}

void setTerrainColours(vexel::ShaderProgram* wireframe) {
    wireframe->setParam("WIRE_COL", 0.01f, 0.97f, 0.98f);
    wireframe->setParam("FILL_COL", terrainFill[0], terrainFill[1], terrainFill[2]);
    wireframe->setParam("WIN_SCALE", 12.0f, 12.0f);
}

void setCarColours(vexel::ShaderProgram* wireframe) {
    wireframe->setParam("FILL_COL", 0.0f, 1.0f, 0.0f);
    wireframe->setParam("WIRE_COL", 1.0f, 0.0f, 0.0f);
}

// Uploads model * camera * pmatrix, multiplied in that order, and draws the mesh with it, unless
// the mesh lies wholly out of view: most of the world is behind or beside each cube face's eye.
void drawPlaced(vexel::ShaderProgram* program, vexel::Mesh3D* mesh, vexel::Matrix model, vexel::Matrix camera,
                vexel::Matrix pmatrix) {
    vexel::Matrix m = model * camera * pmatrix;
    if (!mesh->mayBeSeen(m)) return;
    program->setParam("pmatrix", m);
    mesh->draw();
}

// Ten terrain tiles 132 units apart along z, the whole row moved by `shift` along z.
void drawTerrainRow(vexel::ShaderProgram* wireframe, vexel::Mesh3D* terrain, double shift, vexel::Matrix camera,
                    vexel::Matrix pmatrix) {
    vexel::Matrix tr;
    for (int i = -5; i <= 4; i++) {
        tr.translate(0.0, 0.0, shift + 132.0 * i);
        drawPlaced(wireframe, terrain, tr, camera, pmatrix);
    }
}

// The toy car (unturned), its four wheels, the charger and its four wheels, standing at z = 44;
// the charger and the wheels are turned by -1.6 rad about y before they are placed.
void drawParkedCars(vexel::ShaderProgram* wireframe, vexel::Mesh3D* toycar, vexel::Mesh3D* charger,
                    vexel::Mesh3D* wheel, vexel::Matrix camera, vexel::Matrix pmatrix) {
    vexel::Matrix tr;
    vexel::Matrix rot;
    auto drawWheels = [&](int first) {
        for (int k = first; k < first + 4; k++) {
            tr.translate(wheelPlaces[k][0], 0.6, wheelPlaces[k][1]);
            rot.rotate(0.0, -1.6, 0.0);
            drawPlaced(wireframe, wheel, rot * tr, camera, pmatrix);
        }
    };
    tr.translate(-10.0, 0.0, 44.0);
    drawPlaced(wireframe, toycar, tr, camera, pmatrix);
    drawWheels(0);
    tr.translate(3.5, 0.0, 44.0);
    rot.rotate(0.0, -1.6, 0.0);
    drawPlaced(wireframe, charger, rot * tr, camera, pmatrix);
    drawWheels(4);
}

// The star sky around the world origin: no model transform.
void drawSky(vexel::ShaderProgram* simple, GLuint stars, vexel::Mesh3D* skybox, vexel::Matrix camera,
             vexel::Matrix pmatrix) {
    simple->use();
    simple->addTexture("image", stars);
    vexel::Matrix m = camera * pmatrix;
    simple->setParam("pmatrix", m);
    skybox->draw();
}

// A full-screen image through the "title" program.
void drawImage(vexel::ShaderProgram* title, GLuint image, float vertical, vexel::Sprite* screenquad) {
    title->use();
    title->addTexture("image", image);
    title->setParam("vertical", vertical);
    screenquad->draw();
}

} // namespace

double frameTime(long n, int fps) {
    return std::round(double(n) * 1000.0 / fps) / 1000.0;
}

PlanetFrame planetTimetable(double time) {
    PlanetFrame frame = {{0.11, 4.0, 24.0}, 1.0f, 0.25f, 0.5f, 1.49f};
    if (time < 18.0) {
        frame.pos[0] = std::sin(time) * 4.0 + 0.11;
        frame.pos[2] = std::cos(time) * 4.0 + 24.0;
    } else if (time < 24.0) {
        frame.param2 = (0.25 + std::sin(time - 18.0)) + 1.0;
    } else if (time < 29.0) {
        frame.param4 = 1.49 + (time - 24.0) / 10.0;
        frame.pos[2] = 10.0 * (time - 24.0);
    } else if (time < 38.0) {
        frame.pos[2] = 48.0;
        // The fall starts from the single-precision 1.49, not from the double of the rise above.
        frame.param4 = 1.49f - (time - 29.0) / 10.0;
        frame.param2 = 0.25 - (time - 29.0) / 50.0;
    } else if (time < 41.0) {
        // The rise is timed from 36 s but shows only from 38 s, where it starts at 0.7.
        frame.param3 = 0.5 + (time - 36.0) / 10.0;
    } else {
        frame.param3 = 1.0f;
        frame.param1 = 1.0 - (time - 41.0) / 10.0;
    }
    return frame;
}

vexel::Matrix cubeFaceCamera(std::array<double, 3> eye, int face) {
    // Face order +X, -X, +Y, -Y, +Z, -Z; the X and Y faces look against their own axis.
    double sides[6][3] = {{-10.0, 0.0, 0.0}, {10.0, 0.0, 0.0}, {0.0, -27.0, 0.0},
                          {0.0, 27.0, 0.0},  {0.0, 0.0, 40.0}, {0.0, 0.0, -10.0}};
    double up[6][3] = {{0.0, 1.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0},
                       {0.0, 0.0, -1.0}, {0.0, 1.0, 0.0}, {0.0, 1.0, 0.0}};
    double target[3];
    for (int k = 0; k < 3; k++) target[k] = eye[std::size_t(k)] + sides[face][k];
    vexel::Matrix camera;
    camera.lookAt(eye.data(), target, up[face]);
    return camera;
}

std::array<double, 3> introEye(double time) {
    double a = (time + 15.0) / 8.0;
    return {20.0 * std::sin(a), 4.0, 44.0 + 20.0 * std::cos(a)};
}

std::array<double, 3> wholeWorldEye(double rtime) {
    double a = (30.0 + rtime) / 10.0;
    return {60.0 * std::sin(a), 30.0, 60.0 * std::cos(a)};
}

std::array<double, 3> toInfinityEye(double s) {
    double a = s / 10.0;
    return {20.0 * std::sin(a), 1.0, 44.0 + 20.0 * std::cos(a)};
}

double carDropSlide(double s) {
    return s < 2.0 ? 20.0 * s : 40.0;
}

double carDropDrop(double s) {
    return s < 2.621 ? 0.0 : -30.0 * (s - 2.621);
}

Velmora::Velmora(int w, int h) : vexel::Demo(w, h) {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    vexel::GLDialect::enableSeamlessCubeMaps();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void Velmora::init() {
    config = new vexel::Config("config.txt");
    timeframes.push_back(new Title(config));
    timeframes.push_back(new Intro(screenwidth, screenheight, config));
    timeframes.push_back(new TerrainAndCars(screenwidth, screenheight, config));
    timeframes.push_back(new CarDrop(screenwidth, screenheight, config));
    timeframes.push_back(new WholeWorld(screenwidth, screenheight, config));
    toInfinity = new ToInfinity(screenwidth, screenheight, config);
    timeframes.push_back(toInfinity);
}

void Velmora::rewindStarStream() {
    toInfinity->rewind();
}

void Velmora::replayStarStream(double from, double time, int fps) {
    for (long n = long(std::ceil(std::max(from, toInfinity->start) * fps));; n++) {
        double t = frameTime(n, fps);
        if (t >= time) break;
        if (t >= toInfinity->start && t > from) toInfinity->advance(t);
    }
}

Title::Title(vexel::Config* c) {
    start = velmoraTimeline[0].start;
    end = velmoraTimeline[0].end;
    simple = c->getShader("title");
    screenquad = new vexel::Sprite();
    title1 = c->getTexture("title1");
    title2 = c->getTexture("title2");
}

void Title::show(double time) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawImage(simple, time < 3.0 ? title1 : title2, 1.0f, screenquad);
}

Intro::Intro(int w, int h, vexel::Config* c) {
    start = velmoraTimeline[1].start;
    end = velmoraTimeline[1].end;
    terrain = needModel(c, "Intro", "terrain");
    charger = needModel(c, "Intro", "charger");
    toycar = needModel(c, "Intro", "toycar");
    wheel = needModel(c, "Intro", "wheel");
    skybox = needModel(c, "Intro", "skybox");
    stars = c->getTexture("stars");
    wireframe = c->getShader("wireframe");
    simple = c->getShader("simple");
    pmatrix.perspective(35.0, (double)w / (double)h, 0.1, 1500.0);
}

void Intro::show(double time) {
    std::array<double, 3> pos = introEye(time);
    double target[3] = {0.0, 3.0, 44.0};
    double up[3] = {0.0, 1.0, 0.0};
    vexel::Matrix camera;
    camera.lookAt(pos.data(), target, up);
    geometry(camera);
}

void Intro::geometry(vexel::Matrix camera) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    wireframe->use();
    setTerrainColours(wireframe);
    drawTerrainRow(wireframe, terrain, 0.0, camera, pmatrix);
    setCarColours(wireframe);
    drawParkedCars(wireframe, toycar, charger, wheel, camera, pmatrix);
    drawSky(simple, stars, skybox, camera, pmatrix);
}

TerrainAndCars::TerrainAndCars(int w, int h, vexel::Config* c) {
    start = velmoraTimeline[2].start;
    end = velmoraTimeline[2].end;
    terrain = needModel(c, "TerrainAndCars", "terrain");
    charger = needModel(c, "TerrainAndCars", "charger");
    toycar = needModel(c, "TerrainAndCars", "toycar");
    wheel = needModel(c, "TerrainAndCars", "wheel");
    skybox = needModel(c, "TerrainAndCars", "skybox");
    stars = c->getTexture("stars");
    wireframe = c->getShader("wireframe");
    simple = c->getShader("simple");
    tinyplanet = c->getShader("tinyplanet");
    pmatrix.perspective(90.0, 1.0, 0.1, 1500.0);
    cubemap = new vexel::CubeMap(2048, w, h);
    screenquad = new vexel::Sprite();
}

void TerrainAndCars::show(double time) {
    PlanetFrame frame = planetTimetable(time);
    cubemap->setAsRendertarget();
    for (int f = 0; f < 6; f++) {
        cubemap->setSide(f);
        geometry(time - start, cubeFaceCamera(frame.pos, f));
    }
    cubemap->unset();

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    tinyplanet->use();
    tinyplanet->addTexture("image", GL_TEXTURE_CUBE_MAP, cubemap->getID());
    tinyplanet->setParam("param1", frame.param1);
    tinyplanet->setParam("param2", frame.param2);
    tinyplanet->setParam("param3", frame.param3);
    tinyplanet->setParam("param4", frame.param4);
    screenquad->draw();
}

void TerrainAndCars::geometry(double time, vexel::Matrix camera) {
    vexel::Matrix tr;
    vexel::Matrix rot;
    vexel::Matrix rot2;
    // All eight wheels spin together about their own z axis before they are turned and placed.
    auto drawWheels = [&](int first) {
        for (int k = first; k < first + 4; k++) {
            tr.translate(wheelPlaces[k][0], 0.6, wheelPlaces[k][1]);
            rot.rotate(0.0, 0.0, 20.0 * time);
            rot2.rotate(0.0, -1.6, 0.0);
            drawPlaced(wireframe, wheel, rot * rot2 * tr, camera, pmatrix);
        }
    };

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    wireframe->use();
    setTerrainColours(wireframe);
    drawTerrainRow(wireframe, terrain, 20.0 * time, camera, pmatrix);
    setCarColours(wireframe);
    tr.translate(-10.0, 0.0, 44.0);
    rot.rotate(0.0, 0.0, 0.0);
    drawPlaced(wireframe, toycar, rot * tr, camera, pmatrix);
    drawWheels(0);
    tr.translate(3.5, 0.0, 44.0);
    rot.rotate(0.0, -1.6, 0.0);
    drawPlaced(wireframe, charger, rot * tr, camera, pmatrix);
    drawWheels(4);
    drawSky(simple, stars, skybox, camera, pmatrix);
}

CarDrop::CarDrop(int w, int h, vexel::Config* c) {
    start = velmoraTimeline[3].start;
    end = velmoraTimeline[3].end;
    terrain = needModel(c, "CarDrop", "terrain");
    charger = needModel(c, "CarDrop", "charger");
    toycar = needModel(c, "CarDrop", "toycar");
    wheel = needModel(c, "CarDrop", "wheel");
    skybox = needModel(c, "CarDrop", "skybox");
    stars = c->getTexture("stars");
    wireframe = c->getShader("wireframe");
    simple = c->getShader("simple");
    pmatrix.perspective(35.0, (double)w / (double)h, 0.1, 1500.0);
}

void CarDrop::show(double time) {
    double s = time - start;
    double pos[3] = {0.0, 4.0, 0.0};
    double target[3] = {0.0, 3.0, -44.0};
    double up[3] = {0.0, 1.0, 0.0};
    vexel::Matrix camera, m, tr, rot, tr1, tr2, rot2;

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    wireframe->use();
    camera.lookAt(pos, target, up);
    setTerrainColours(wireframe);
    tr.translate(0.0, 0.0, carDropSlide(s));
    drawPlaced(wireframe, terrain, tr, camera, pmatrix);

    double Y = carDropDrop(s);
    tr1.translate(3.5, Y, -44.0);
    tr2.translate(-10.0, Y, -44.0);
    rot.rotate(0.0, -1.6, 0.0);
    m = rot * tr1 * camera * pmatrix;
    wireframe->setParam("pmatrix", m);
    setCarColours(wireframe);
    charger->draw();
    rot.rotate(0.0, 0.0, 0.0);
    drawPlaced(wireframe, toycar, rot * tr2, camera, pmatrix);
    // The camera looks down -z, so the wheels stand at the parked places mirrored in z;
    // they spin on the absolute clock.
    for (const auto& place : wheelPlaces) {
        tr.translate(place[0], 0.6 + Y, -place[1]);
        rot.rotate(0.0, 0.0, 20.0 * time);
        rot2.rotate(0.0, -1.6, 0.0);
        drawPlaced(wireframe, wheel, rot * rot2 * tr, camera, pmatrix);
    }
    drawSky(simple, stars, skybox, camera, pmatrix);
}

WholeWorld::WholeWorld(int w, int h, vexel::Config* c) {
    start = velmoraTimeline[4].start;
    end = velmoraTimeline[4].end;
    terrain = needModel(c, "WholeWorld", "terrain");
    turtle = needModel(c, "WholeWorld", "turtle");
    charger = needModel(c, "WholeWorld", "charger");
    toycar = needModel(c, "WholeWorld", "toycar");
    skybox = needModel(c, "WholeWorld", "skybox");
    wireframe = c->getShader("wireframe");
    simple = c->getShader("simple");
    title = c->getShader("title");
    poet = c->getTexture("poet");
    stars = c->getTexture("stars");
    pmatrix.perspective(35.0, (double)w / (double)h, 0.1, 1500.0);
    screenquad = new vexel::Sprite();
}

void WholeWorld::show(double time) {
    double rtime = time - start;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    wireframe->use();

    std::array<double, 3> pos = wholeWorldEye(rtime);
    double target[3] = {0.0, 0.0, 0.0};
    double up[3] = {0.0, 1.0, 0.0};
    vexel::Matrix camera, rot, sc, tr;
    camera.lookAt(pos.data(), target, up);

    rot.rotate(-1.54, 0.0, 0.0);
    setTerrainColours(wireframe);
    drawPlaced(wireframe, turtle, rot, camera, pmatrix);
    sc.scale(0.15, 0.15, 0.15);
    tr.translate(0.0, 9.6, 0.0);
    drawPlaced(wireframe, terrain, sc * tr, camera, pmatrix);

    setCarColours(wireframe);
    wireframe->setParam("WIN_SCALE", 40.0f, 40.0f);
    // The cars spin on the absolute clock and sink on the scene clock.
    sc.scale(0.1, 0.1, 0.1);
    rot.rotate(0.0, time, time / 2.0);
    tr.translate(0.0, 9.0 - rtime, -12.0);
    drawPlaced(wireframe, charger, sc * rot * tr, camera, pmatrix);
    sc.scale(0.1, 0.1, 0.1);
    tr.translate(-2.0, 9.0 - rtime, -12.0);
    drawPlaced(wireframe, toycar, sc * rot * tr, camera, pmatrix);

    drawSky(simple, stars, skybox, camera, pmatrix);
    drawImage(title, poet, (float)rtime / 10.0f, screenquad);
}

ToInfinity::ToInfinity(int w, int h, vexel::Config* c) : screenwidth(float(w)), screenheight(float(h)) {
    start = velmoraTimeline[5].start;
    end = velmoraTimeline[5].end;
    wheel = needModel(c, "ToInfinity", "wheel");
    charger = needModel(c, "ToInfinity", "charger");
    toycar = needModel(c, "ToInfinity", "toycar");
    wireframe = c->getShader("wireframe");
    starshader = c->getShader("star");
    // Unlike the other scenes, the aspect is divided in single precision.
    pmatrix.perspective(35.0, (float)w / (float)h, 0.1, 1500.0);
    stars = new vexel::CircParticle(600, 0.0f, 1.0f, 10.0f, 10.0f, start);
    // A hundred simulated seconds up front, so the stream is in full flow at the first frame.
    for (double i = 0.0; i < 100.0; i++) stars->update(start + i);
    builtStars.emplace(*stars);
    builtRandomState = randomState();
}

void ToInfinity::rewind() {
    *stars = *builtStars;
    seed48(builtRandomState.data());
}

// The emitter's clock runs 100 s ahead of demo time, beyond the constructor's pre-roll.
void ToInfinity::advance(double time) {
    stars->update(time + 100.0);
}

void ToInfinity::show(double time) {
    std::array<double, 3> pos = toInfinityEye(time - start);
    double target[3] = {0.0, 3.0, 44.0};
    double up[3] = {1.0, 0.0, 0.0};
    vexel::Matrix camera, m;
    camera.lookAt(pos.data(), target, up);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    wireframe->use();
    setCarColours(wireframe);
    wireframe->setParam("WIN_SCALE", 12.0f, 12.0f);
    drawParkedCars(wireframe, toycar, charger, wheel, camera, pmatrix);

    starshader->use();
    m = camera * pmatrix;
    starshader->setParam("pmatrix", m);
    starshader->setParam("VIEWPORT", screenwidth, screenheight);
    advance(time);
    stars->draw();
}
