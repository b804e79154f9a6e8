#pragma once
// The maker's addresses. There is no real site yet: a reserved example host stands in.
#define VELMORAN_WEB_HOST "www.velmoran.example"
#define VELMORAN_HELP_PAGE "http://" VELMORAN_WEB_HOST "/plugins/installation-help.html"
