// recording.cpp: encoding and decoding input recordings, the recorder that
// writes them and the playback that reads them with every length checked.
#include "input/recording.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "input/virtual_buttons.h"

namespace {

constexpr size_t CLOCK_BYTES = 8 + 8 + 4 + 8;

void put_u16(std::vector<uint8_t> &out, uint16_t v)
{
	out.push_back((uint8_t)v);
	out.push_back((uint8_t)(v >> 8));
}

void put_u32(std::vector<uint8_t> &out, uint32_t v)
{
	for (int i = 0; i < 4; i++)
		out.push_back((uint8_t)(v >> (8 * i)));
}

void put_u64(std::vector<uint8_t> &out, uint64_t v)
{
	for (int i = 0; i < 8; i++)
		out.push_back((uint8_t)(v >> (8 * i)));
}

uint32_t get_u32(const uint8_t *p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24; }
uint64_t get_u64(const uint8_t *p) { return (uint64_t)get_u32(p) | (uint64_t)get_u32(p + 4) << 32; }

InputEvent event(uint8_t kind, std::initializer_list<int32_t> fields)
{
	InputEvent e;
	e.kind = kind;
	int i = 0;
	for (int32_t f : fields)
		e.field[i++] = f;
	return e;
}

} // namespace

int input_event_fields(uint8_t kind)
{
	switch (kind) {
	case INPUT_KEY_DOWN:
	case INPUT_KEY_UP:
	case INPUT_CHARACTER:
	case INPUT_BUTTON_DOWN:
	case INPUT_BUTTON_UP:
	case INPUT_WHEEL: return 1;
	case INPUT_MOUSE_MOVE:
	case INPUT_TOUCH: return 4;
	case INPUT_JOYSTICK: return 10;
	default: return 0;
	}
}

void apply_input_event(const InputEvent &e)
{
	const int32_t *f = e.field;
	switch (e.kind) {
	case INPUT_KEY_DOWN: raw_key_down(f[0]); break;
	case INPUT_KEY_UP: raw_key_up(f[0]); break;
	case INPUT_CHARACTER: raw_character((uint32_t)f[0]); break;
	case INPUT_MOUSE_MOVE: raw_mouse_move(f[0], f[1], f[2], f[3]); break;
	case INPUT_BUTTON_DOWN: raw_button_down(f[0]); break;
	case INPUT_BUTTON_UP: raw_button_up(f[0]); break;
	case INPUT_WHEEL: raw_wheel(f[0]); break;
	case INPUT_JOYSTICK: {
		JoystickState j;
		j.present = f[1] != 0;
		for (int a = 0; a < 6; a++)
			j.axis[a] = f[2 + a];
		j.pov = f[8];
		j.buttons = (uint32_t)f[9];
		set_joystick(f[0], j);
		break;
	}
	case INPUT_TOUCH: raw_touch(f[0], f[1] != 0, f[2], f[3]); break;
	default: break;
	}
}

InputFrame &InputFrame::key_down(int32_t vk) { events.push_back(event(INPUT_KEY_DOWN, {vk})); return *this; }
InputFrame &InputFrame::key_up(int32_t vk) { events.push_back(event(INPUT_KEY_UP, {vk})); return *this; }
InputFrame &InputFrame::character(uint32_t code) { events.push_back(event(INPUT_CHARACTER, {(int32_t)code})); return *this; }
InputFrame &InputFrame::mouse_move(int32_t x, int32_t y) { events.push_back(event(INPUT_MOUSE_MOVE, {x, y, x, y})); return *this; }
InputFrame &InputFrame::button_down(int32_t b) { events.push_back(event(INPUT_BUTTON_DOWN, {b})); return *this; }
InputFrame &InputFrame::button_up(int32_t b) { events.push_back(event(INPUT_BUTTON_UP, {b})); return *this; }
InputFrame &InputFrame::wheel(int32_t turn) { events.push_back(event(INPUT_WHEEL, {turn})); return *this; }

InputFrame &InputFrame::joystick(int32_t index, const JoystickState &s)
{
	events.push_back(event(INPUT_JOYSTICK, {index, s.present ? 1 : 0, s.axis[0], s.axis[1], s.axis[2], s.axis[3],
	                                        s.axis[4], s.axis[5], s.pov, (int32_t)s.buttons}));
	return *this;
}

void put_clock(std::vector<uint8_t> &out, const ClockReading &clock)
{
	put_u64(out, (uint64_t)clock.boot_ms);
	put_u64(out, (uint64_t)clock.unix_s);
	put_u32(out, (uint32_t)clock.utc_offset_s);
	put_u64(out, clock.fine_ns);
}

ClockReading get_clock(const uint8_t *p)
{
	ClockReading clock;
	clock.boot_ms = (int64_t)get_u64(p);
	clock.unix_s = (int64_t)get_u64(p + 8);
	clock.utc_offset_s = (int32_t)get_u32(p + 16);
	clock.fine_ns = get_u64(p + 20);
	return clock;
}

InputFrame &InputFrame::touch(int32_t slot, bool down, int32_t x, int32_t y)
{
	events.push_back(event(INPUT_TOUCH, {slot, down ? 1 : 0, x, y}));
	return *this;
}

std::vector<uint8_t> encode_recording_header(const ClockReading &start)
{
	std::vector<uint8_t> out(RECORDING_MAGIC, RECORDING_MAGIC + 8);
	put_u16(out, RECORDING_VERSION);
	put_u16(out, RECORDING_HEADER_SIZE);
	put_u32(out, 0);
	put_clock(out, start);
	return out;
}

void encode_input_frame(const InputFrame &frame, std::vector<uint8_t> &out)
{
	size_t start = out.size();
	put_u32(out, 0); // the body length, filled in below
	put_clock(out, frame.clock);
	put_u32(out, (uint32_t)frame.events.size());
	for (const InputEvent &e : frame.events) {
		int n = input_event_fields(e.kind);
		out.push_back(e.kind);
		out.push_back((uint8_t)n);
		for (int i = 0; i < n; i++)
			put_u32(out, (uint32_t)e.field[i]);
	}
	uint32_t length = (uint32_t)(out.size() - start - 4);
	for (int i = 0; i < 4; i++)
		out[start + i] = (uint8_t)(length >> (8 * i));
}

std::vector<uint8_t> encode_recording(const std::vector<InputFrame> &frames, const ClockReading &start)
{
	std::vector<uint8_t> out = encode_recording_header(start);
	for (const InputFrame &f : frames)
		encode_input_frame(f, out);
	return out;
}

bool decode_input_frame(const uint8_t *body, size_t size, InputFrame &frame, std::string &error)
{
	if (size < CLOCK_BYTES + 4) {
		error = "the frame is too short for its clock reading and event count (" + std::to_string(size) + " bytes)";
		return false;
	}
	frame.clock = get_clock(body);
	uint32_t count = get_u32(body + CLOCK_BYTES);
	size_t at = CLOCK_BYTES + 4;
	// Every event takes at least 6 bytes, so the count is checked before space is reserved.
	if (count > (size - at) / 6) {
		error = "the frame claims " + std::to_string(count) + " events but holds only " + std::to_string(size - at) +
		        " bytes";
		return false;
	}
	frame.events.clear();
	frame.events.reserve(count);
	for (uint32_t i = 0; i < count; i++) {
		if (size - at < 2) {
			error = "event " + std::to_string(i) + " runs past the end of the frame";
			return false;
		}
		InputEvent e;
		e.kind = body[at];
		int n = body[at + 1];
		int expected = input_event_fields(e.kind);
		if (expected == 0) {
			error = "event " + std::to_string(i) + " has the unknown kind " + std::to_string(e.kind);
			return false;
		}
		if (n != expected) {
			error = "event " + std::to_string(i) + " (kind " + std::to_string(e.kind) + ") has " + std::to_string(n) +
			        " fields instead of " + std::to_string(expected);
			return false;
		}
		at += 2;
		if (size - at < (size_t)n * 4) {
			error = "event " + std::to_string(i) + " runs past the end of the frame";
			return false;
		}
		for (int k = 0; k < n; k++, at += 4)
			e.field[k] = (int32_t)get_u32(body + at);
		frame.events.push_back(e);
	}
	if (at != size) {
		error = std::to_string(size - at) + " bytes follow the last event of the frame";
		return false;
	}
	return true;
}

// ---- Recorder ----

InputRecorder::~InputRecorder() { close(); }

bool InputRecorder::open(const std::string &path, const ClockReading &start, std::string &error)
{
	close();
	m_path = path;
	m_file = fopen(path.c_str(), "wb");
	if (!m_file) {
		error = "Cannot create the input recording " + path + ": " + strerror(errno);
		return false;
	}
	std::vector<uint8_t> header = encode_recording_header(start);
	if (fwrite(header.data(), 1, header.size(), m_file) != header.size() || fflush(m_file) != 0) {
		error = "Cannot write the input recording " + path + ": " + strerror(errno);
		close();
		return false;
	}
	return true;
}

bool InputRecorder::write(const InputFrame &frame, std::string &error)
{
	if (!m_file)
		return false;
	std::vector<uint8_t> bytes;
	encode_input_frame(frame, bytes);
	if (fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size() || fflush(m_file) != 0) {
		error = "Cannot write the input recording " + m_path + ": " + strerror(errno);
		close();
		return false;
	}
	return true;
}

void InputRecorder::close()
{
	if (m_file)
		fclose(m_file);
	m_file = nullptr;
}

// ---- Playback ----

InputPlayback::~InputPlayback() { close(); }

bool InputPlayback::read(void *out, size_t n)
{
	if (m_memory) {
		if (m_bytes.size() - m_position < n)
			return false;
		std::memcpy(out, m_bytes.data() + m_position, n);
		m_position += n;
	} else if (fread(out, 1, n, m_file) != n) {
		return false;
	}
	m_offset += n;
	return true;
}

bool InputPlayback::check_header(std::string &error)
{
	uint8_t h[RECORDING_HEADER_SIZE];
	std::string where = "The input recording " + m_path;
	if (!read(h, sizeof h)) {
		error = where + " is too short to be a recording";
		return false;
	}
	if (std::memcmp(h, RECORDING_MAGIC, 8) != 0) {
		error = where + " is not an input recording";
		return false;
	}
	uint16_t version = (uint16_t)(h[8] | h[9] << 8);
	uint16_t header_size = (uint16_t)(h[10] | h[11] << 8);
	if (version != RECORDING_VERSION) {
		error = where + " has version " + std::to_string(version) + "; this program reads version " +
		        std::to_string(RECORDING_VERSION);
		return false;
	}
	if (header_size < RECORDING_HEADER_SIZE) {
		error = where + " has a header of " + std::to_string(header_size) + " bytes, less than " +
		        std::to_string(RECORDING_HEADER_SIZE);
		return false;
	}
	m_start = get_clock(h + 16);
	// A longer header of a later revision: the rest is skipped.
	for (size_t rest = header_size - RECORDING_HEADER_SIZE; rest > 0; rest--) {
		uint8_t skip;
		if (!read(&skip, 1)) {
			error = where + " ends inside its header";
			return false;
		}
	}
	return true;
}

bool InputPlayback::open(const std::string &path, std::string &error)
{
	close();
	m_path = path;
	m_file = fopen(path.c_str(), "rb");
	if (!m_file) {
		error = "Cannot open the input recording " + path + ": " + strerror(errno);
		return false;
	}
	if (!check_header(error)) {
		close();
		return false;
	}
	return true;
}

bool InputPlayback::open_bytes(const std::vector<uint8_t> &bytes, std::string &error)
{
	close();
	m_path = "(in memory)";
	m_memory = true;
	m_bytes = bytes;
	if (!check_header(error)) {
		close();
		return false;
	}
	return true;
}

InputPlayback::Result InputPlayback::next(InputFrame &frame, std::string &error)
{
	if (!is_open())
		return END;
	uint64_t frame_offset = m_offset;
	std::string where = "The input recording " + m_path + ", frame " + std::to_string(m_frames) + " at byte " +
	                    std::to_string(frame_offset) + ": ";
	uint8_t length_bytes[4];
	size_t got = 0;
	if (m_memory) {
		got = std::min<size_t>(4, m_bytes.size() - m_position);
		read(length_bytes, got);
	} else {
		got = fread(length_bytes, 1, 4, m_file);
		m_offset += got;
	}
	if (got == 0)
		return END;
	if (got < 4) {
		error = where + "the file ends inside the frame's length";
		return BAD;
	}
	uint32_t length = get_u32(length_bytes);
	if (length > RECORDING_FRAME_MAX) {
		error = where + "the frame claims " + std::to_string(length) + " bytes, more than the limit of " +
		        std::to_string(RECORDING_FRAME_MAX);
		return BAD;
	}
	std::vector<uint8_t> body(length);
	if (!read(body.data(), length)) {
		error = where + "the file ends inside the frame (" + std::to_string(length) + " bytes expected)";
		return BAD;
	}
	std::string reason;
	if (!decode_input_frame(body.data(), body.size(), frame, reason)) {
		error = where + reason;
		return BAD;
	}
	m_frames++;
	return FRAME;
}

void InputPlayback::close()
{
	if (m_file)
		fclose(m_file);
	m_file = nullptr;
	m_memory = false;
	m_bytes.clear();
	m_position = 0;
	m_offset = 0;
	m_frames = 0;
}
