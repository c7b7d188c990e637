// FakePlatform: a scriptable platform for framework tests. It logs every call
// in order, keeps a clock that only moves when told (sleep advances it), hands
// out queued messages and can be told to fail at each step.
#pragma once

#include "framework/CPlatform.h"

#include <deque>
#include <string>
#include <vector>

class FakePlatform : public CPlatform {
public:
    FakePlatform() { setPlatform(this); }
    ~FakePlatform() override { setPlatform(nullptr); }

    std::uint32_t milliseconds() override { return now; }
    void sleep(std::uint32_t milliseconds) override
    {
        log.push_back("sleep " + std::to_string(milliseconds));
        sleeps.push_back(milliseconds);
        now += milliseconds;
    }
    void messageBox(const char* text, const char* title) override
    {
        log.push_back(std::string("box ") + title + ": " + text);
    }

    bool registerWindowClass() override
    {
        log.push_back("register");
        return !failRegister;
    }
    void unregisterWindowClass() override { log.push_back("unregister"); }
    WindowHandle createWindow(int width, int height, bool framed, bool resizable) override
    {
        log.push_back("create " + std::to_string(width) + "x" + std::to_string(height) + (framed ? " framed" : "") +
                      (resizable ? " resizable" : "") + " samples " + std::to_string(format.samples));
        if (failCreate)
            return nullptr;
        return &windows[windowCount++ % 4];
    }
    void destroyWindow(WindowHandle) override { log.push_back("destroy"); }
    void setWindowTitle(WindowHandle, const char* text) override { log.push_back(std::string("title ") + text); }
    void setWindowPosition(WindowHandle, int x, int y) override
    {
        log.push_back("position " + std::to_string(x) + "," + std::to_string(y));
    }
    void setWindowSize(WindowHandle, int width, int height, bool topMost) override
    {
        log.push_back("size " + std::to_string(width) + "x" + std::to_string(height) + (topMost ? " topmost" : ""));
    }
    void showWindow(WindowHandle, int command) override { log.push_back("show " + std::to_string(command)); }
    bool screenSize(int& width, int& height) override
    {
        width = screenWidth;
        height = screenHeight;
        return true;
    }
    bool enterFullscreenMode(WindowHandle, int width, int height) override
    {
        log.push_back("fullscreen " + std::to_string(width) + "x" + std::to_string(height));
        return !failFullscreen;
    }
    void leaveFullscreenMode(WindowHandle) override { log.push_back("windowed"); }

    bool peekMessage(CWindowMessage& message) override
    {
        if (messages.empty())
            return false;
        message = messages.front();
        messages.pop_front();
        return true;
    }
    int defaultProcedure(const CWindowMessage& message) override
    {
        log.push_back("default " + std::to_string(message.message));
        return defaultResult;
    }
    void postQuitMessage() override { post(WindowMessage::quit); }
    bool cursorScreenPosition(int& x, int& y) override
    {
        x = cursorX;
        y = cursorY;
        return true;
    }

    void setPixelFormat(const CPixelFormat& value) override
    {
        format = value;
        log.push_back("format " + std::to_string(value.colourBits) + "/" + std::to_string(value.depthBits) + "/" +
                      std::to_string(value.stencilBits) + " samples " + std::to_string(value.samples));
    }
    bool multisampleFormatAvailable(const CPixelFormat& value) override
    {
        log.push_back("probe " + std::to_string(value.samples));
        return multisampleAvailable;
    }
    ContextHandle createGLContext(WindowHandle) override
    {
        log.push_back("context");
        return failContext ? nullptr : &contexts[contextCount++ % 4];
    }
    bool makeCurrent(WindowHandle, ContextHandle) override
    {
        log.push_back("current");
        return true;
    }
    void deleteGLContext(ContextHandle) override { log.push_back("delete context"); }
    void swapBuffers(WindowHandle) override { log.push_back("swap"); }
    void* glProcAddress(const char*) override { return nullptr; }
    bool drawableSize(WindowHandle, int& width, int& height) override
    {
        width = 800;
        height = 600;
        return true;
    }

    void post(unsigned int number, int first = 0, int second = 0)
    {
        CWindowMessage message;
        message.message = number;
        message.first = first;
        message.second = second;
        messages.push_back(message);
    }
    bool logged(const std::string& entry) const
    {
        for (const std::string& line : log) {
            if (line == entry)
                return true;
        }
        return false;
    }
    int countOf(const std::string& entry) const
    {
        int count = 0;
        for (const std::string& line : log)
            count += line == entry ? 1 : 0;
        return count;
    }

    std::uint32_t now = 0;
    std::vector<std::string> log;
    std::vector<std::uint32_t> sleeps;
    std::deque<CWindowMessage> messages;
    CPixelFormat format;
    bool failRegister = false;
    bool failCreate = false;
    bool failFullscreen = false;
    bool failContext = false;
    bool multisampleAvailable = false;
    int defaultResult = 7;
    int screenWidth = 1280;
    int screenHeight = 1024;
    int cursorX = 0;
    int cursorY = 0;

private:
    int windows[4] = {};
    int contexts[4] = {};
    int windowCount = 0;
    int contextCount = 0;
};
