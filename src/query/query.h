#pragma once

// The connection search: line index, travel-time tables, route timing and the search.
