#pragma once

// The vCard versions the writers produce. Any other value makes every writer
// return an empty result.
enum class vCardVersion {
    Version2_1 = 0, // written as "2.1"
    Version3_0 = 1, // written as "3.0"
};
