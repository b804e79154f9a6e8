#pragma once
// The maker's addresses. There is no real site yet: a reserved example host stands in.
#define VELMORAN_WEB_HOST "www.velmoran.example"
#define VELMORAN_HELP_PAGE "http://" VELMORAN_WEB_HOST "/plugins/installation-help.html"
#define VELMORAN_PUBLISHER "Velmoran"
#define VELMORAN_PRODUCT_NAME "Velmoran Plugins"
#ifndef VELMORAN_VERSION
#define VELMORAN_VERSION "0.0.0"  // the build names the version; this only for builds that do not
#endif
