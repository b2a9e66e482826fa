#pragma once

// One health level for the credits account, in order of concern.
enum class QuorCreditsHealthStatus { disconnected, healthy, warning, critical };
