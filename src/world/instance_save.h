// instance_save.h: the saved form of an instance in a saved game: its id,
// object, flags, every field of the record and its variable store.
#pragma once

#include <memory>
#include <stdexcept>

#include "world/instance.h"

class StreamReader;
class StreamWriter;

// Writes the instance's saved form (docs/save-format.md).
void save_instance(StreamWriter &out, const CInstance &instance);

// A damaged saved form whose text already names the byte it was found at.
struct SavedFormError : std::runtime_error
{
	using std::runtime_error::runtime_error;
};

// Reads one saved instance into a new record that is in no list and no map
// (its object pointer is left null). Damaged data, an object that does not
// exist or unknown flags throw DataError with the position; a damaged variable
// store throws SavedFormError.
std::unique_ptr<CInstance> read_saved_instance(StreamReader &in);

// The fewest bytes one saved instance takes, for checking counts.
// (id, object, flags; 29 floats as doubles; 6 integers, the blend, 12 alarms;
// an empty variable store).
constexpr uint64_t SAVED_INSTANCE_MIN_BYTES = 4 * 3 + 8 * 29 + 4 * 6 + 4 + 4 * 12 + 8;
