#pragma once

// What a chart reads back at a point under the mouse: the distance along the road or the value
// on the chart's value axis. The numbers are the modes' own.
enum class ReadBack : int { Distance = 1, Value = 2 };
