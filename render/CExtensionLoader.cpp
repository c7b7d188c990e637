// CExtensionLoader: the extension groups, their entry points and the lookup.
#include "render/CExtensionLoader.h"

#include "framework/GLSupport.h"

#include <GL/gl.h>

#include <cstring>

namespace {

const char* const entryPointNames[] = {
    "glActiveTextureARB", "glClientActiveTextureARB",
    "glBindRenderbuffer", "glDeleteRenderbuffers", "glGenRenderbuffers", "glRenderbufferStorage",
    "glBindFramebuffer", "glDeleteFramebuffers", "glGenFramebuffers", "glFramebufferTexture2D",
    "glFramebufferRenderbuffer", "glCheckFramebufferStatus",
    "glBindBufferARB", "glGenBuffersARB", "glBufferDataARB", "glDeleteBuffersARB",
    "glCreateShader", "glShaderSource", "glCompileShader", "glCreateProgram", "glAttachShader",
    "glLinkProgram", "glUseProgram", "glDetachShader", "glDeleteShader", "glDeleteProgram",
    "glGetUniformLocation", "glUniform1iv", "glUniform2iv", "glUniform3iv", "glUniform4iv",
    "glUniform1fv", "glUniform2fv", "glUniform3fv", "glUniform4fv", "glUniformMatrix2fv",
    "glUniformMatrix3fv", "glUniformMatrix4fv", "glGetShaderInfoLog", "glGetProgramInfoLog",
};
static_assert(sizeof(entryPointNames) / sizeof(entryPointNames[0]) == static_cast<std::size_t>(GLEntryPoint::Count));

struct ExtensionGroup {
    const char* name;
    GLEntryPoint first;
    GLEntryPoint last;   // inclusive
};

// Known groups in the order names are compared.
const ExtensionGroup knownGroups[] = {
    {"GL_ARB_multitexture", GLEntryPoint::ActiveTextureARB, GLEntryPoint::ClientActiveTextureARB},
    {"GL_ARB_framebuffer_object", GLEntryPoint::BindRenderbuffer, GLEntryPoint::CheckFramebufferStatus},
    {"GL_ARB_vertex_buffer_object", GLEntryPoint::BindBufferARB, GLEntryPoint::DeleteBuffersARB},
    {"GL_ARB_vertex_shader", GLEntryPoint::CreateShader, GLEntryPoint::GetProgramInfoLog},
    {"GL_ARB_fragment_shader", GLEntryPoint::CreateShader, GLEntryPoint::GetProgramInfoLog},
};

// The pixel-format group of the Windows GL layer. SDL chooses pixel formats
// (and multisampling) here, so this group never exists on this platform.
const char* const windowsExtensionsStringGroup = "WGL_ARB_extensions_string";

const char* currentContextExtensions()
{
    return reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
}

}  // namespace

const char* glEntryPointName(GLEntryPoint entry)
{
    auto index = static_cast<std::uint32_t>(entry);
    return index < static_cast<std::uint32_t>(GLEntryPoint::Count) ? entryPointNames[index] : "";
}

CExtensionLoader::CExtensionLoader(ProcLookup lookup, ExtensionString extensions)
    : lookup_(lookup), extensions_(extensions)
{
}

bool CExtensionLoader::load(const String& name)
{
    const char* text = name.c_str() ? name.c_str() : "";
    for (const ExtensionGroup& group : knownGroups) {
        if (name.length() != std::strlen(group.name) || std::strcmp(text, group.name) != 0)
            continue;
        if (!driverListsExactly(group.name))
            return false;
        return resolveGroup(group.first, group.last);
    }
    if (std::strcmp(text, windowsExtensionsStringGroup) == 0 && name.length() == std::strlen(text))
        return false;

    // Any other name: a substring of the driver's list counts as available.
    const char* list = extensions_ ? extensions_() : nullptr;
    if (list == nullptr || name.isEmpty())
        return false;
    return std::strstr(list, text) != nullptr;
}

bool CExtensionLoader::resolveGroup(GLEntryPoint first, GLEntryPoint last)
{
    for (auto i = static_cast<std::uint32_t>(first); i <= static_cast<std::uint32_t>(last); ++i) {
        if (entries_[i] != nullptr)
            continue;
        entries_[i] = lookup_ ? lookup_(entryPointNames[i]) : nullptr;
        if (entries_[i] == nullptr)
            return false;
    }
    return true;
}

// True when the driver's list holds name as a whole, space-separated token.
bool CExtensionLoader::driverListsExactly(const char* name) const
{
    const char* list = extensions_ ? extensions_() : nullptr;
    if (list == nullptr)
        return false;
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at != nullptr; at = std::strstr(at + 1, name)) {
        const bool startsToken = at == list || at[-1] == ' ';
        const bool endsToken = at[length] == '\0' || at[length] == ' ';
        if (startsToken && endsToken)
            return true;
    }
    return false;
}

CExtensionLoader& extensionLoader()
{
    static CExtensionLoader loader(getGLProcAddress, currentContextExtensions);
    return loader;
}

bool loadExtension(const String& name)
{
    return extensionLoader().load(name);
}
