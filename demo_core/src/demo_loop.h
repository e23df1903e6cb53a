// The four operations the main loop calls; internal to the core.
#ifndef DEMO_LOOP_H
#define DEMO_LOOP_H

#include "demo_core.h"

// Size of the status bitmap; it reaches the screen at twice this size.
const int overlay_width = 250;
const int overlay_height = 12;

// Moves the picture one pixel, turning at the right-hand limit and at the left edge.
void step_position(const demo_settings &settings, demo_state &state);

// Clears the backbuffer, draws the picture and the status line, and flips.
void render_frame(const demo_state &state);

// Writes the pass count and the display size into the status bitmap; advances the deadline.
void refresh_status_overlay(demo_state &state);

// Switches between the start and the alternate size, flashing first where the settings ask.
void toggle_display_size(const demo_settings &settings, demo_state &state);

#endif
