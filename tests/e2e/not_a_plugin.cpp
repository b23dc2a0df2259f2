// A module that loads but offers none of the plug-in entry points.
extern "C" int NotAPlugin() { return 0; }
