// A plug-in as small as it gets, for an editor to load. Its two builds differ in their version.
#define QUOTED(x) #x
#define TEXT_OF(x) QUOTED(x)

extern "C" __declspec(dllexport) const char* PluginVersion() { return "held plug-in " TEXT_OF(PLUGIN_VERSION); }
