#pragma once
// Start-up registration of the picture formats beyond the registry's own four rows.

// Adds the rows of the JPEG, animated-cursor and GIF support to FileFormats(), in that order.
// Called once at start-up, before any picture is loaded.
void RegisterPictureFormats();
// Removes those rows again, as the supports do at shutdown.
void UnregisterPictureFormats();
