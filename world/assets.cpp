#include "world/assets.h"
// stub: to be implemented
AssetState assets;
void loadAssets() {}
void initWorld() {}
