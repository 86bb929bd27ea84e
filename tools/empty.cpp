// Anchors the tool_support library when no helper sources exist yet.
