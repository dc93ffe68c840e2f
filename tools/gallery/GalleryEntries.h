#pragma once

#include <QList>
#include <QString>

#include <functional>

class GallerySink;

// One named picture set: render writes one PNG per state through the sink.
struct GalleryEntry {
	QString name;
	std::function<void(GallerySink &)> render;
};

// Every entry, in the order they are rendered.
QList<GalleryEntry> galleryEntries();
