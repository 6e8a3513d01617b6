// Shader sources reaching the compiler, the failure messages, texture units and uniform setters.
#include "Capture.h"
#include "GLTest.h"
#include "Matrix.h"
#include "Shader.h"
#include "ShaderProgram.h"
#include "TempDir.h"

#include <memory>
#include <string>
#include <vector>

namespace {

const char* vertexSource = "#version 410 core\n"
                           "layout(location = 0) in vec2 position;\n"
                           "void main() { gl_Position = vec4(position, 0.0, 1.0); }";

const char* brokenSource = "#version 410 core\nout vec4 color;\nvoid main() { color = undeclared; }\n";

// Three sampler types whose units all default to 0, which a validation at load time rejects.
const char* samplersSource = "#version 410 core\n"
                             "uniform sampler2D a;\nuniform sampler2D b;\nuniform samplerCube c;\nout vec4 color;\n"
                             "void main() { color = texture(a, vec2(0.5)) + texture(b, vec2(0.5))"
                             " + texture(c, vec3(1.0)); }\n";

const char* uniformsSource = "#version 410 core\n"
                             "uniform float f;\nuniform vec2 v2;\nuniform vec3 v3;\nuniform int i;\nuniform mat4 m;\n"
                             "out vec4 color;\n"
                             "void main() { color = m * vec4(v3, f) + vec4(v2, float(i), 0.0); }\n";

template <typename GetLength, typename GetLog>
std::string infoLog(GLuint object, GetLength getLength, GetLog getLog) {
    GLint length = 0;
    getLength(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(length, '\0');
    getLog(object, length, nullptr, log.data());
    return log.c_str();
}

std::string programLog(GLuint program) {
    return infoLog(program, glGetProgramiv, glGetProgramInfoLog);
}

GLint programState(GLuint program, GLenum what) {
    GLint value = 0;
    glGetProgramiv(program, what, &value);
    return value;
}

// The link log of two sources linked without the wrapper.
std::string referenceLinkLog(const std::string& vertex, const std::string& fragment) {
    GLuint program = buildProgram(vertex.c_str(), fragment.c_str());
    std::string log = programLog(program);
    glDeleteProgram(program);
    return log;
}

GLint uniformInt(GLuint program, const char* name) {
    GLint value = -1;
    glGetUniformiv(program, glGetUniformLocation(program, name), &value);
    return value;
}

class ShaderProgramTest : public GLTest {
protected:
    TempDir dir;

    // A program from a vertex and a fragment source; `output` keeps what loading printed.
    std::unique_ptr<vexel::ShaderProgram> build(const std::string& vertex, const std::string& fragment,
                                                std::string& output) {
        auto program = std::make_unique<vexel::ShaderProgram>();
        output = captureStdout([&] {
            program->addShader(dir.write("shader.frag", fragment).c_str(), GL_FRAGMENT_SHADER);
            program->addShader(dir.write("shader.vert", vertex).c_str(), GL_VERTEX_SHADER);
            program->compile();
        });
        return program;
    }
};

TEST_F(ShaderProgramTest, TheSourceReachesTheCompilerByteForByte) {
    for (std::string source : {std::string(vertexSource), std::string(vertexSource) + "\n\n"}) {
        std::string path = dir.write("exact.vert", source);
        std::string output = captureStdout([&] {
            vexel::Shader shader(path.c_str(), GL_VERTEX_SHADER);
            std::string seen(source.size() + 8, '\0');
            glGetShaderSource(shader.getShaderId(), GLsizei(seen.size()), nullptr, seen.data());
            EXPECT_EQ(source, seen.c_str());
        });
        EXPECT_EQ("", output);
    }
}

TEST_F(ShaderProgramTest, ACompileFailurePrintsTheSourceAndTheLog) {
    std::string path = dir.write("broken.frag", brokenSource);
    std::string log;
    std::string output = captureStdout([&] {
        vexel::Shader shader(path.c_str(), GL_FRAGMENT_SHADER);
        EXPECT_NE(0u, shader.getShaderId());
        log = infoLog(shader.getShaderId(), glGetShaderiv, glGetShaderInfoLog);
    });
    EXPECT_NE(std::string::npos, log.find("undeclared")) << log;
    EXPECT_EQ("Shader error\n" + std::string(brokenSource) + "\n" + log + "\n", output);
}

TEST_F(ShaderProgramTest, LinkAndValidationFailuresAreEachReported) {
    // A failed shader is still attached, so the link fails after the compile message.
    std::string output;
    auto program = build(vertexSource, brokenSource, output);
    GLuint id = program->getProgramID();
    EXPECT_EQ(2, programState(id, GL_ATTACHED_SHADERS));
    std::string compileMessage = output.substr(0, output.find("Link error\n"));
    EXPECT_EQ(0u, compileMessage.find(std::string("Shader error\n") + brokenSource + "\n"));
    std::string validate = programState(id, GL_VALIDATE_STATUS) ? "" : "Validate error\n" + programLog(id) + "\n";
    EXPECT_EQ("Link error\n" + referenceLinkLog(vertexSource, brokenSource) + "\n" + validate,
              output.substr(compileMessage.size()));

    // Stages that do not match: the link fails and validation still runs.
    std::string vertex = std::string(vertexSource) + "\nout vec3 shade;\n";
    std::string fragment = "#version 410 core\nin vec4 shade;\nout vec4 color;\nvoid main() { color = shade; }\n";
    program = build(vertex, fragment, output);
    std::string linkLog = referenceLinkLog(vertex, fragment);
    EXPECT_NE("", linkLog);
    EXPECT_EQ("Link error\n" + linkLog + "\nValidate error\n" + programLog(program->getProgramID()) + "\n", output);

    // Linked, but not valid: only the validation is reported.
    program = build(vertexSource, samplersSource, output);
    EXPECT_TRUE(programState(program->getProgramID(), GL_LINK_STATUS));
    EXPECT_EQ("Validate error\n" + programLog(program->getProgramID()) + "\n", output);
}

TEST_F(ShaderProgramTest, AnUnreadableSourceIsReportedAndNothingIsAttached) {
    std::string missing = dir.path("absent.frag"), folder = dir.path("");
    vexel::ShaderProgram program;
    std::string output = captureStdout([&] {
        EXPECT_EQ(0u, vexel::Shader(missing.c_str(), GL_FRAGMENT_SHADER).getShaderId());
        program.addShader(missing.c_str(), GL_FRAGMENT_SHADER);
        program.addShader(folder.c_str(), GL_VERTEX_SHADER);
    });
    std::string message = "cannot open shader " + missing + ": No such file or directory\n";
    EXPECT_EQ(message + message + "cannot read shader " + folder + ": Is a directory\n", output);
    EXPECT_EQ(0, programState(program.getProgramID(), GL_ATTACHED_SHADERS));
}

TEST_F(ShaderProgramTest, TexturesTakeUnitsInCallOrderAndEachUseRestartsAtZero) {
    std::string output;
    auto program = build(vertexSource, samplersSource, output);
    GLuint id = program->getProgramID();
    GLuint textures[3];
    glGenTextures(3, textures);
    // Each sampler: the unit and binding point it should end on after the calls below.
    auto expectOn = [&](const char* sampler, int unit, GLenum binding, GLuint texture) {
        GLint active = 0, bound = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
        glActiveTexture(GL_TEXTURE0 + unit);
        glGetIntegerv(binding, &bound);
        glActiveTexture(active);
        EXPECT_EQ(GLint(texture), bound) << sampler;
        EXPECT_EQ(unit, uniformInt(id, sampler)) << sampler;
        return active;
    };

    program->use();
    program->addTexture("a", textures[0]);
    program->addTexture("b", textures[1]);
    program->addTexture("c", GL_TEXTURE_CUBE_MAP, textures[2]);
    expectOn("a", 0, GL_TEXTURE_BINDING_2D, textures[0]);
    expectOn("b", 1, GL_TEXTURE_BINDING_2D, textures[1]);
    EXPECT_EQ(GLint(GL_TEXTURE2), expectOn("c", 2, GL_TEXTURE_BINDING_CUBE_MAP, textures[2]));

    program->use();
    program->addTexture("c", GL_TEXTURE_CUBE_MAP, textures[2]);
    EXPECT_EQ(GLint(GL_TEXTURE0), expectOn("c", 0, GL_TEXTURE_BINDING_CUBE_MAP, textures[2]));

    glDeleteTextures(3, textures);
    glActiveTexture(GL_TEXTURE0);
    glUseProgram(0);
}

TEST_F(ShaderProgramTest, SetParamWritesTheNamedUniformOfTheCurrentProgram) {
    std::string output;
    auto program = build(vertexSource, uniformsSource, output);
    EXPECT_EQ("", output) << "a good program loads silently";
    GLuint id = program->getProgramID();
    vexel::Matrix matrix;
    for (int i = 0; i < 16; i++) matrix.modify(i, i + 0.5f);

    program->use();
    output = captureStdout([&] {
        program->setParam("f", 1.5f);
        program->setParam("v2", 2.0f, -3.0f);
        program->setParam("v3", 4.0f, 5.0f, 6.25f);
        program->setParam("i", 7);
        program->setParam("m", matrix);
        program->setParam("undeclared", 9.0f);
    });
    EXPECT_EQ("", output);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());

    auto floats = [&](const char* name, int count) {
        std::vector<GLfloat> values(16, 0.0f);
        glGetUniformfv(id, glGetUniformLocation(id, name), values.data());
        values.resize(count);
        return values;
    };
    EXPECT_EQ(std::vector<GLfloat>({1.5f}), floats("f", 1));
    EXPECT_EQ(std::vector<GLfloat>({2.0f, -3.0f}), floats("v2", 2));
    EXPECT_EQ(std::vector<GLfloat>({4.0f, 5.0f, 6.25f}), floats("v3", 3));
    EXPECT_EQ(7, uniformInt(id, "i"));
    EXPECT_EQ(std::vector<GLfloat>(matrix.matrix(), matrix.matrix() + 16), floats("m", 16));
    glUseProgram(0);
}

} // namespace
