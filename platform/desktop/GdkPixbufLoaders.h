#pragma once
// Which picture formats GdkPixbuf, the library the GNOME-family desktops draw their background
// with, can read here: beyond its built-in PNG and JPEG, each format is a loader module that a
// package may or may not have installed.

#include <QString>

// True when GdkPixbuf lists a loader for the format ("webp", "tiff", as GdkPixbuf names it):
// in its loaders cache ($GDK_PIXBUF_MODULE_FILE, else the system's loaders.cache), or, when no
// cache can be read, as a libpixbufloader-FORMAT.so module in its loaders folder
// ($GDK_PIXBUF_MODULEDIR, else the system's). Never fails: an unreadable cache and folder mean
// no loader.
bool GdkPixbufLoaderInstalled(const QString& format);
