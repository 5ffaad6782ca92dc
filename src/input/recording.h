// recording.h: input recordings ("-record", "-playback"): per frame the clock
// reading and the input events that reached the game before the frame's step.
// The layout is in docs/recording-format.md. Played-back files are untrusted:
// every length and field count is checked and a bad file gives a clear error.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/game_clock.h"
#include "input/input_state.h"

constexpr char RECORDING_MAGIC[8] = {'Z', 'X', 'I', 'N', 'P', 'U', 'T', 0x1A};
constexpr uint16_t RECORDING_VERSION = 1;
constexpr uint16_t RECORDING_HEADER_SIZE = 44;
constexpr uint32_t RECORDING_FRAME_MAX = 1u << 20; // bytes of one frame body

enum InputEventKind : uint8_t
{
	INPUT_KEY_DOWN = 1,     // vk
	INPUT_KEY_UP = 2,       // vk
	INPUT_CHARACTER = 3,    // code
	INPUT_MOUSE_MOVE = 4,   // window x, y, screen x, y
	INPUT_BUTTON_DOWN = 5,  // button
	INPUT_BUTTON_UP = 6,    // button
	INPUT_WHEEL = 7,        // turn
	INPUT_JOYSTICK = 8,     // index, present, 6 axes, pov, buttons
	INPUT_TOUCH = 9,        // slot, down, screen x, y
};

// The number of fields each kind carries; 0 for an unknown kind.
int input_event_fields(uint8_t kind);

struct InputEvent
{
	uint8_t kind = 0;
	int32_t field[10] = {};
	bool operator==(const InputEvent &) const = default;
};

// Applies an event to the raw copy of the input state.
void apply_input_event(const InputEvent &event);

struct InputFrame
{
	ClockReading clock;
	std::vector<InputEvent> events;

	// Helpers for building recordings by hand (tests, tools).
	InputFrame &key_down(int32_t vk);
	InputFrame &key_up(int32_t vk);
	InputFrame &character(uint32_t code);
	InputFrame &mouse_move(int32_t x, int32_t y); // window and screen at the same place
	InputFrame &button_down(int32_t button);
	InputFrame &button_up(int32_t button);
	InputFrame &wheel(int32_t turn);
	InputFrame &joystick(int32_t index, const JoystickState &state);
	InputFrame &touch(int32_t slot, bool down, int32_t x, int32_t y);
};

// The encoded forms: the file header with the clock reading that holds until
// the first step (game start and the first room's events), and one frame
// appended to a buffer.
std::vector<uint8_t> encode_recording_header(const ClockReading &start);
void encode_input_frame(const InputFrame &frame, std::vector<uint8_t> &out);
// A whole recording in memory.
std::vector<uint8_t> encode_recording(const std::vector<InputFrame> &frames, const ClockReading &start = {});

// Writes frames to a file as they happen; each frame is flushed.
class InputRecorder
{
public:
	~InputRecorder();
	bool open(const std::string &path, const ClockReading &start, std::string &error);
	bool write(const InputFrame &frame, std::string &error);
	void close();
	bool is_open() const { return m_file != nullptr; }

private:
	FILE *m_file = nullptr;
	std::string m_path;
};

// Reads frames back one at a time.
class InputPlayback
{
public:
	enum Result
	{
		FRAME, // a frame was read
		END,   // the recording ended cleanly
		BAD,   // the file is damaged; the error says where
	};
	~InputPlayback();
	// Opens the file and checks its header.
	bool open(const std::string &path, std::string &error);
	// Reads from a block in memory instead of a file.
	bool open_bytes(const std::vector<uint8_t> &bytes, std::string &error);
	Result next(InputFrame &frame, std::string &error);
	void close();
	bool is_open() const { return m_file != nullptr || m_memory; }
	long frames_read() const { return m_frames; }
	// The header's clock reading, for the time before the first step.
	const ClockReading &start_clock() const { return m_start; }

private:
	bool read(void *out, size_t n);
	bool check_header(std::string &error);

	FILE *m_file = nullptr;
	bool m_memory = false;
	std::vector<uint8_t> m_bytes;
	size_t m_position = 0;
	std::string m_path;
	long m_frames = 0;
	ClockReading m_start;
	uint64_t m_offset = 0; // bytes consumed, for error messages
};

// Parses one frame body (after its length field). False with the reason.
bool decode_input_frame(const uint8_t *body, size_t size, InputFrame &frame, std::string &error);
