#ifndef ZELTOOL_ENGINE_LEVEL_H
#define ZELTOOL_ENGINE_LEVEL_H

#include <string>

// Loads a tile set and map as the game would, in a child process first:
// the engine ends the process that loads a bad file, after printing its own
// message. ToolError (status 1) when the child could not load them.
void checkEngineLevel(const std::string& tlePath, const std::string& mapPath);

// The same for a .spr or GIF animation.
void checkEngineAnimation(const std::string& path);

#endif
