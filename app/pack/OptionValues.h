// OptionValues: reading the option values a person types, shared by the
// command line (arguments) and the window tool (text fields), so that both
// accept and refuse the same things: scale factors and their suffixes, a
// default pivot, a colour.
//
// Each reader checks one value; the front ends put their own words (a flag
// name, a field name) around the refusal.
#pragma once

#include "app/pack/PackSettings.h"

#include <string>
#include <vector>

// A scale factor: a decimal above 0 and up to 16 with at most six places
// ("2", "0.5", "0.333333"); no sign, exponent or spaces.
bool parseScaleFactor(const std::string& text, double& value);

// The suffix a factor gets when none is given: "" for 1, else "@<text>x"
// with the factor as it was typed ("@0.5x").
std::string defaultScaleSuffix(const std::string& factorText, double value);

// Adds `variant` to `variants`; "" or why it cannot be written: its suffix
// holds a folder separator, or an earlier variant has the same suffix (the
// two would write one file).
std::string addScaleVariant(std::vector<ScaleVariant>& variants, const ScaleVariant& variant);

// A pivot lies in or near its sprite; far beyond that is a typing mistake.
constexpr double largestPivot = 1000.0;

// "X,Y": two decimal fractions of the sprite's size, each within
// +-largestPivot.
bool parsePivot(const std::string& text, SpritePivot& pivot);

// "#RRGGBB" or "RRGGBB" as 0xRRGGBB.
bool parseColour(const std::string& text, std::uint32_t& colour);
