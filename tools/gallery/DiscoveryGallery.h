#pragma once

class GallerySink;

// The camera assignment dialog: an assigned slot and a few search results.
void renderDiscoveryDialog(GallerySink &sink);
