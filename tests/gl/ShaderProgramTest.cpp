// Shader sources reaching the compiler, the failure messages, texture units and uniform setters.
#include "Capture.h"
#include "GLTest.h"
#include "Matrix.h"
#include "Shader.h"
#include "ShaderProgram.h"
#include "TempDir.h"

#include <string>
#include <vector>

namespace {

const char* vertexSource = "#version 410 core\n"
                           "layout(location = 0) in vec2 position;\n"
                           "void main() { gl_Position = vec4(position, 0.0, 1.0); }";

const char* brokenSource = "#version 410 core\n"
                           "out vec4 color;\n"
                           "void main() { color = undeclared; }\n";

// Three sampler types whose units all default to 0, which a validation at load time rejects.
const char* samplersSource = "#version 410 core\n"
                             "uniform sampler2D a;\n"
                             "uniform sampler2D b;\n"
                             "uniform samplerCube c;\n"
                             "out vec4 color;\n"
                             "void main() { color = texture(a, vec2(0.5)) + texture(b, vec2(0.5))\n"
                             "                      + texture(c, vec3(1.0)); }\n";

const char* uniformsSource = "#version 410 core\n"
                             "uniform float f;\n"
                             "uniform vec2 v2;\n"
                             "uniform vec3 v3;\n"
                             "uniform int i;\n"
                             "uniform mat4 m;\n"
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

std::string shaderLog(GLuint shader) {
    return infoLog(shader, glGetShaderiv, glGetShaderInfoLog);
}

std::string programLog(GLuint program) {
    return infoLog(program, glGetProgramiv, glGetProgramInfoLog);
}

GLint programState(GLuint program, GLenum what) {
    GLint value = 0;
    glGetProgramiv(program, what, &value);
    return value;
}

class ShaderProgramTest : public GLTest {
protected:
    TempDir dir;

    // A program from a vertex and a fragment source; `output` keeps what loading printed.
    vexel::ShaderProgram* build(const std::string& vertex, const std::string& fragment, std::string& output) {
        std::string vertexPath = dir.write("shader.vert", vertex);
        std::string fragmentPath = dir.write("shader.frag", fragment);
        vexel::ShaderProgram* program = new vexel::ShaderProgram();
        output = captureStdout([&] {
            program->addShader(fragmentPath.c_str(), GL_FRAGMENT_SHADER);
            program->addShader(vertexPath.c_str(), GL_VERTEX_SHADER);
            program->compile();
        });
        return program;
    }

    // The link log of the same two sources, linked without the wrapper.
    std::string referenceLinkLog(const std::string& vertex, const std::string& fragment) {
        GLuint program = glCreateProgram();
        for (auto [type, source] : {std::pair{GL_VERTEX_SHADER, vertex}, std::pair{GL_FRAGMENT_SHADER, fragment}}) {
            GLuint shader = glCreateShader(type);
            const char* text = source.c_str();
            glShaderSource(shader, 1, &text, nullptr);
            glCompileShader(shader);
            glAttachShader(program, shader);
            glDeleteShader(shader);
        }
        glLinkProgram(program);
        std::string log = programLog(program);
        glDeleteProgram(program);
        return log;
    }

    std::string validateMessage(GLuint program) {
        if (programState(program, GL_VALIDATE_STATUS)) return "";
        return "Validate error\n" + programLog(program) + "\n";
    }
};

TEST_F(ShaderProgramTest, TheSourceReachesTheCompilerByteForByte) {
    for (std::string source : {std::string(vertexSource), std::string(vertexSource) + "\n\n"}) {
        std::string path = dir.write("exact.vert", source);
        std::string output = captureStdout([&] {
            vexel::Shader shader(path.c_str(), GL_VERTEX_SHADER);
            GLint length = 0;
            glGetShaderiv(shader.getShaderId(), GL_SHADER_SOURCE_LENGTH, &length);
            ASSERT_EQ(GLint(source.size() + 1), length);
            std::string seen(length, '\0');
            glGetShaderSource(shader.getShaderId(), length, nullptr, seen.data());
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
        log = shaderLog(shader.getShaderId());
    });
    EXPECT_NE(std::string::npos, log.find("undeclared")) << log;
    EXPECT_EQ("Shader error\n" + std::string(brokenSource) + "\n" + log + "\n", output);
}

TEST_F(ShaderProgramTest, AFailedShaderIsStillAttachedAndTheLinkFails) {
    std::string output;
    vexel::ShaderProgram* program = build(vertexSource, brokenSource, output);
    GLuint id = program->getProgramID();
    EXPECT_EQ(2, programState(id, GL_ATTACHED_SHADERS));
    EXPECT_FALSE(programState(id, GL_LINK_STATUS));

    std::string compileMessage = output.substr(0, output.find("Link error\n"));
    EXPECT_EQ(0u, compileMessage.find(std::string("Shader error\n") + brokenSource + "\n"));
    EXPECT_EQ("Link error\n" + referenceLinkLog(vertexSource, brokenSource) + "\n" + validateMessage(id),
              output.substr(compileMessage.size()));
    delete program;
}

TEST_F(ShaderProgramTest, ALinkFailureIsReportedAndValidationStillRuns) {
    std::string vertex = std::string(vertexSource) + "\nout vec3 shade;\n";
    std::string fragment = "#version 410 core\n"
                           "in vec4 shade;\n"
                           "out vec4 color;\n"
                           "void main() { color = shade; }\n";
    std::string output;
    vexel::ShaderProgram* program = build(vertex, fragment, output);
    std::string linkLog = referenceLinkLog(vertex, fragment);
    EXPECT_NE("", linkLog);
    EXPECT_EQ("Link error\n" + linkLog + "\n" + "Validate error\n" + programLog(program->getProgramID()) + "\n",
              output);
    delete program;
}

TEST_F(ShaderProgramTest, AValidationFailureIsReportedAlone) {
    std::string output;
    vexel::ShaderProgram* program = build(vertexSource, samplersSource, output);
    GLuint id = program->getProgramID();
    EXPECT_TRUE(programState(id, GL_LINK_STATUS));
    EXPECT_FALSE(programState(id, GL_VALIDATE_STATUS));
    EXPECT_EQ("Validate error\n" + programLog(id) + "\n", output);
    delete program;
}

TEST_F(ShaderProgramTest, AnUnreadableSourceIsReportedAndNothingIsAttached) {
    std::string missing = dir.path("absent.frag");
    std::string folder = dir.path("");
    vexel::ShaderProgram program;
    std::string output = captureStdout([&] {
        vexel::Shader shader(missing.c_str(), GL_FRAGMENT_SHADER);
        EXPECT_EQ(0u, shader.getShaderId());
        program.addShader(missing.c_str(), GL_FRAGMENT_SHADER);
        program.addShader(folder.c_str(), GL_VERTEX_SHADER);
    });
    std::string message = "cannot open shader " + missing + ": No such file or directory\n";
    EXPECT_EQ(message + message + "cannot read shader " + folder + ": Is a directory\n", output);
    EXPECT_EQ(0, programState(program.getProgramID(), GL_ATTACHED_SHADERS));
}

GLint activeUnit() {
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    return active;
}

GLint boundOnUnit(int unit, GLenum binding) {
    GLint active = activeUnit(), name = 0;
    glActiveTexture(GL_TEXTURE0 + unit);
    glGetIntegerv(binding, &name);
    glActiveTexture(active);
    return name;
}

GLint uniformInt(GLuint program, const char* name) {
    GLint value = -1;
    glGetUniformiv(program, glGetUniformLocation(program, name), &value);
    return value;
}

TEST_F(ShaderProgramTest, TexturesTakeUnitsInCallOrderAndEachUseRestartsAtZero) {
    std::string output;
    vexel::ShaderProgram* program = build(vertexSource, samplersSource, output);
    GLuint id = program->getProgramID();
    GLuint textures[3];
    glGenTextures(3, textures);

    program->use();
    program->addTexture("a", textures[0]);
    program->addTexture("b", textures[1]);
    program->addTexture("c", GL_TEXTURE_CUBE_MAP, textures[2]);
    EXPECT_EQ(GLint(textures[0]), boundOnUnit(0, GL_TEXTURE_BINDING_2D));
    EXPECT_EQ(GLint(textures[1]), boundOnUnit(1, GL_TEXTURE_BINDING_2D));
    EXPECT_EQ(GLint(textures[2]), boundOnUnit(2, GL_TEXTURE_BINDING_CUBE_MAP));
    EXPECT_EQ(0, uniformInt(id, "a"));
    EXPECT_EQ(1, uniformInt(id, "b"));
    EXPECT_EQ(2, uniformInt(id, "c"));
    EXPECT_EQ(GLint(GL_TEXTURE2), activeUnit());

    program->use();
    program->addTexture("c", GL_TEXTURE_CUBE_MAP, textures[2]);
    EXPECT_EQ(GLint(textures[2]), boundOnUnit(0, GL_TEXTURE_BINDING_CUBE_MAP));
    EXPECT_EQ(0, uniformInt(id, "c"));
    EXPECT_EQ(GLint(GL_TEXTURE0), activeUnit());

    glDeleteTextures(3, textures);
    glActiveTexture(GL_TEXTURE0);
    glUseProgram(0);
    delete program;
}

TEST_F(ShaderProgramTest, SetParamWritesTheNamedUniformOfTheCurrentProgram) {
    std::string output;
    vexel::ShaderProgram* program = build(vertexSource, uniformsSource, output);
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
    delete program;
}

} // namespace
