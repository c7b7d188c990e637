// CExtensionLoader: reaches OpenGL entry points newer than 1.1.
//
// The renderer calls OpenGL 1.1 directly and everything newer through
// `loadExtension(name)`. For the few extension groups the engine knows, the
// loader resolves the group's entry points by name from the current context
// and keeps them in a process-wide table; any other name is only looked up in
// the driver's extension string (a plain substring search).
//
// The platform's procedure lookup comes from the framework (SDL's GL lookup).
// NOTE: under GLX the lookup hands out an address for every name that starts
// with "gl", whether the driver implements it or not, so resolving entry points
// proves nothing there. A known group therefore also has to be named in the
// driver's extension string before it is resolved and reported available.
//
// "WGL_ARB_extensions_string" belongs to another platform's window layer and
// always reports unavailable here; multisampling goes through SDL instead.
#pragma once

#include "core/String.h"

#include <cstdint>

// Every entry point the loader knows, in the order the groups resolve them.
enum class GLEntryPoint : std::uint32_t {
    // GL_ARB_multitexture
    ActiveTextureARB, ClientActiveTextureARB,
    // GL_ARB_framebuffer_object
    BindRenderbuffer, DeleteRenderbuffers, GenRenderbuffers, RenderbufferStorage, BindFramebuffer,
    DeleteFramebuffers, GenFramebuffers, FramebufferTexture2D, FramebufferRenderbuffer, CheckFramebufferStatus,
    // GL_ARB_vertex_buffer_object
    BindBufferARB, GenBuffersARB, BufferDataARB, DeleteBuffersARB,
    // GL_ARB_vertex_shader / GL_ARB_fragment_shader (one shared group)
    CreateShader, ShaderSource, CompileShader, CreateProgram, AttachShader, LinkProgram, UseProgram,
    DetachShader, DeleteShader, DeleteProgram, GetUniformLocation, Uniform1iv, Uniform2iv, Uniform3iv,
    Uniform4iv, Uniform1fv, Uniform2fv, Uniform3fv, Uniform4fv, UniformMatrix2fv, UniformMatrix3fv,
    UniformMatrix4fv, GetShaderInfoLog, GetProgramInfoLog,
    Count
};

// The entry point's name as the driver exports it ("glActiveTextureARB").
const char* glEntryPointName(GLEntryPoint entry);

class CExtensionLoader {
public:
    using ProcLookup = void* (*)(const char* name);
    using ExtensionString = const char* (*)();   // null or the space-separated list

    // lookup and extensions may be null: nothing resolves / nothing is listed.
    CExtensionLoader(ProcLookup lookup, ExtensionString extensions);

    // True when the group (or, for another name, the listed extension) is
    // available. Pointers resolved before a failing one stay set. An empty
    // name names no extension and is false, though it is a substring of
    // every list.
    bool load(const String& name);

    // The resolved address or null.
    void* entryPoint(GLEntryPoint entry) const { return entries_[static_cast<std::uint32_t>(entry)]; }

    void setProcLookup(ProcLookup lookup) { lookup_ = lookup; }
    void setExtensionString(ExtensionString extensions) { extensions_ = extensions; }

private:
    bool resolveGroup(GLEntryPoint first, GLEntryPoint last);
    bool driverListsExactly(const char* name) const;

    ProcLookup lookup_;
    ExtensionString extensions_;
    void* entries_[static_cast<std::uint32_t>(GLEntryPoint::Count)] = {};
};

// The process-wide loader, using the framework's GL procedure lookup
// (getGLProcAddress) and the current context's extension string.
CExtensionLoader& extensionLoader();

// loadExtension(name) on the process-wide loader. Needs a current GL context.
bool loadExtension(const String& name);

// Typed access to a resolved entry point of the process-wide loader, e.g.
// glEntry<PFNGLACTIVETEXTUREARBPROC>(GLEntryPoint::ActiveTextureARB).
template <typename Function>
Function glEntry(GLEntryPoint entry)
{
    return reinterpret_cast<Function>(extensionLoader().entryPoint(entry));
}
