// The steps through which indexing and closing an archive reach whatever
// shows it: the viewer's tree, list, picture and status bar, or nothing at
// all for the command-line tool.
#pragma once

#include <cstdint>
#include <string>

namespace tessaron {

using TreeItemId = std::intptr_t;

class ArchiveViews {
public:
    virtual ~ArchiveViews() = default;

    virtual void BeginTreeUpdate() = 0;
    virtual void EndTreeUpdate() = 0;
    virtual TreeItemId AddRootItem(const std::string& text) = 0;
    virtual TreeItemId AddChildItem(TreeItemId parent, const std::string& text) = 0;
    virtual void ClearTree() = 0;  // between BeginTreeUpdate and EndTreeUpdate

    virtual void BeginListUpdate() = 0;
    virtual void EndListUpdate() = 0;
    virtual void ClearFrameList() = 0;  // between BeginListUpdate and EndListUpdate

    virtual void ClearImage() = 0;
    virtual void SetStatusText(int panel, const std::string& text) = 0;
    // Lets the event loop run once over what is queued.
    virtual void ProcessPendingMessages() = 0;
    // Switches the five commands that need an open archive.
    virtual void EnableArchiveCommands(bool enabled) = 0;
};

// Views that show nothing; for tools and tests that only need the index.
class NullViews : public ArchiveViews {
public:
    void BeginTreeUpdate() override {}
    void EndTreeUpdate() override {}
    TreeItemId AddRootItem(const std::string&) override { return 0; }
    TreeItemId AddChildItem(TreeItemId, const std::string&) override { return 0; }
    void ClearTree() override {}
    void BeginListUpdate() override {}
    void EndListUpdate() override {}
    void ClearFrameList() override {}
    void ClearImage() override {}
    void SetStatusText(int, const std::string&) override {}
    void ProcessPendingMessages() override {}
    void EnableArchiveCommands(bool) override {}
};

}  // namespace tessaron
