// Shader sources reaching the compiler, the failure messages, relinking and texture units. The
// other uniform setters show in the frames of the scene tests.
#include "ShaderProgram.h"

#include "Capture.h"
#include "GLTest.h"
#include "TempDir.h"

#include <memory>
#include <string>
#include <vector>

namespace {

const char* brokenSource = "#version 410 core\nout vec4 color;\nvoid main() { color = undeclared; }\n";

// Three sampler types whose units all default to 0, which a validation at load time rejects.
const char* samplersSource = "#version 410 core\n"
                             "uniform sampler2D a;\nuniform sampler2D b;\nuniform samplerCube c;\nout vec4 color;\n"
                             "void main() { color = texture(a, vec2(0.5)) + texture(b, vec2(0.5))"
                             " + texture(c, vec3(1.0)); }\n";

const char* tintSource = "#version 410 core\nuniform vec2 tint;\nout vec4 color;\nvoid main() { color = vec4(tint, 0.0, 1.0); }\n";

std::string programLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string log(length, '\0');
    glGetProgramInfoLog(program, length, nullptr, log.data());
    return log.c_str();
}

class ShaderProgramTest : public GLTest {
protected:
    TempDir dir;
    std::string output; // what the last build printed

    // A program from the shared vertex source and `fragment`, as the registry builds one.
    std::unique_ptr<vexel::ShaderProgram> build(const char* fragment) {
        auto program = std::make_unique<vexel::ShaderProgram>();
        output = captureStdout([&] {
            program->addShader(dir.write("shader.frag", fragment).c_str(), GL_FRAGMENT_SHADER);
            program->addShader(dir.write("shader.vert", positionVertex).c_str(), GL_VERTEX_SHADER);
            program->compile();
        });
        return program;
    }
};

// A failed shader is still attached, so the link fails after the compile message (whose source
// is the text handed to the compiler, so it shows the file arrives byte for byte); validation
// runs whether the link failed or not.
TEST_F(ShaderProgramTest, CompileLinkAndValidationFailuresAreEachReported) {
    auto program = build(brokenSource);
    GLuint id = program->getProgramID(), shaders[2] = {0, 0};
    glGetAttachedShaders(id, 2, nullptr, shaders);
    std::string compileLog(4096, '\0');
    glGetShaderInfoLog(shaders[0], GLsizei(compileLog.size()), nullptr, compileLog.data());
    EXPECT_NE(std::string::npos, compileLog.find("undeclared")) << compileLog;
    GLuint reference = buildProgram(positionVertex, brokenSource);
    EXPECT_EQ("Shader error\n" + std::string(brokenSource) + "\n" + compileLog.c_str() + "\nLink error\n" +
                  programLog(reference) + "\nValidate error\n" + programLog(id) + "\n",
              output);
    glDeleteProgram(reference);

    // Linked, since no link error is reported, but not valid.
    program = build(samplersSource);
    EXPECT_EQ("Validate error\n" + programLog(program->getProgramID()) + "\n", output);
}

TEST_F(ShaderProgramTest, AnUnreadableSourceIsReportedAndNothingIsAttached) {
    std::string missing = dir.path("absent.frag"), folder = dir.path("");
    vexel::ShaderProgram program;
    std::string printed = captureStdout([&] {
        program.addShader(missing.c_str(), GL_FRAGMENT_SHADER);
        program.addShader(folder.c_str(), GL_VERTEX_SHADER);
    });
    EXPECT_EQ("cannot open shader " + missing + ": No such file or directory\ncannot read shader " + folder +
                  ": Is a directory\n",
              printed);
    GLint attached = -1;
    glGetProgramiv(program.getProgramID(), GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(0, attached);
}

// The scenes hold the registry's objects, so a reload must change the GL program inside one.
TEST_F(ShaderProgramTest, ARelinkReplacesTheProgramInPlaceOnlyWhenItCompilesAndLinks) {
    auto program = build(whiteFragment);
    GLuint first = program->getProgramID();
    std::vector<vexel::ShaderFile> files = {{dir.write("shader.frag", brokenSource), GL_FRAGMENT_SHADER},
                                            {dir.path("shader.vert"), GL_VERTEX_SHADER}};
    std::string log;
    EXPECT_EQ("", captureStdout([&] { EXPECT_FALSE(program->relink(files, log)); })) << "the caller reports the log";
    EXPECT_NE(std::string::npos, log.find("undeclared")) << log;
    // Stages that do not match: the linker's log.
    std::string vertex = std::string(positionVertex) + "out vec3 shade;\n";
    std::string fragment = "#version 410 core\nin vec4 shade;\nout vec4 color;\nvoid main() { color = shade; }\n";
    dir.write("shader.vert", vertex);
    dir.write("shader.frag", fragment);
    EXPECT_FALSE(program->relink(files, log));
    EXPECT_NE(std::string::npos, log.find("shade")) << log;
    EXPECT_EQ(first, program->getProgramID());

    dir.write("shader.frag", tintSource);
    EXPECT_TRUE(program->relink(files, log)) << log;
    // The new program takes a uniform only it has. (The show's one vec2 has equal components, so only
    // a read-back tells them apart.)
    program->use();
    program->setParam("tint", 2.0f, -3.0f);
    GLfloat tint[2] = {0.0f, 0.0f};
    glGetUniformfv(program->getProgramID(), glGetUniformLocation(program->getProgramID(), "tint"), tint);
    EXPECT_EQ((std::vector<GLfloat>{2.0f, -3.0f}), std::vector<GLfloat>(tint, tint + 2));
    glUseProgram(0);
    EXPECT_FALSE(glIsProgram(first)) << "the old program is deleted";
}

// Which texture a unit holds shows in every textured frame of the scene tests; the unit numbers
// restarting at each use do not, until the units run out.
TEST_F(ShaderProgramTest, TexturesTakeUnitsInCallOrderAndEachUseRestartsAtZero) {
    auto program = build(samplersSource);
    GLuint id = program->getProgramID();
    GLuint t[3];
    glGenTextures(3, t);
    auto units = [&] { return std::vector<GLint>{uniformInt(id, "a"), uniformInt(id, "b"), uniformInt(id, "c")}; };
    program->use();
    program->addTexture("a", t[0]);
    program->addTexture("b", t[1]);
    program->addTexture("c", GL_TEXTURE_CUBE_MAP, t[2]);
    EXPECT_EQ((std::vector<GLint>{0, 1, 2}), units());

    program->use();
    program->addTexture("c", GL_TEXTURE_CUBE_MAP, t[2]);
    EXPECT_EQ((std::vector<GLint>{0, 1, 0}), units());
    glDeleteTextures(3, t);
    glActiveTexture(GL_TEXTURE0);
    glUseProgram(0);
}

} // namespace
