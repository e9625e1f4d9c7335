-- The help window's two pages: "init" builds the first (how to play), "second_init" the second
-- (pearls and bonuses). Each page lays out its pictures and texts and keeps a small demonstration
-- running by chaining actions: a finished action names the function that adds the next ones.

local TEXT_COLOR = color(11, 79, 122, 255)
local TITLE_COLOR = color(255, 255, 255, 255)
local NOTE_COLOR = color(23, 85, 127, 255)

-- Layers, lowest first.
local BACK, BOARD, PIECE, PEARL, EFFECT, HAND = 0, 10, 20, 30, 40, 50

-- The board patch: cell (c, r) begins 20c, 35r pixels from its origin.
local BOARD_X, BOARD_Y = 600, 330
local BOARD_ORIGIN_X, BOARD_ORIGIN_Y = BOARD_X + 4, BOARD_Y + 4
-- The second page's board; its pearl sits on cell 5:1 (it points up: its centre is 23 pixels below
-- its top).
local PEARL_BOARD_Y = 150
local PEARL_CELL_X, PEARL_CELL_Y = 5, 1
-- The pipeline: its water runs at this height.
local PIPE_X, PIPE_Y = 540, 118

local function image(w, id, layer, x, y)
	return w:get_image(w:add_image(id, layer, vector2(x, y), 0))
end

-- Text in a box at the left of the page.
local function paragraph(w, text, y, height)
	w:add_text(text, vector2(64, y), TEXT_COLOR, "FONT_TEXT", vector2(430, height), 60)
end

local function frame(w, title)
	image(w, "IMAGE_HELP_BACK", BACK, 0, 0)
	w:add_text(title, vector2(64, 70), TITLE_COLOR, "FONT_HEADER")
end

-- Where a piece picture goes so that its mask cell (mc, mr) covers board cell (bc, br) of a board
-- patch whose origin is at (ox, oy); the picture's mask cell (0, 0) starts at (6, 6). Both cells must
-- point the same way (column + row both even or both odd).
local function on_board(mc, mr, bc, br, oy)
	oy = oy or BOARD_ORIGIN_Y
	return vector2(BOARD_ORIGIN_X + 20 * bc - 6 - 20 * mc, oy + 35 * br - 6 - 35 * mr)
end

-- A piece riding the pipeline: its cells in row 2 of the mask sit in the water.
local function in_pipe(x)
	return vector2(x, PIPE_Y + 30 - 76)
end

local function fade_in(p, ms)
	p.alpha = 0
	add_alpha_action(p, 255, ms, "", 0)
end

-- Chained actions call global functions: this one takes a faded picture away.
function drop(w, p)
	w:remove_image(p)
end

-- A ring that grows and fades where something happened.
local function splash(w, x, y)
	local ring = image(w, "IMAGE_HELP_RING", EFFECT, x - 48, y - 48)
	ring.scale = 0.4
	add_scale_action(ring, 1.3, 500, "", 0)
	add_alpha_action(ring, 0, 500, "drop", 0)
end

-- ---- Page 1: pick a piece off the pipeline, turn it, set it into the board. ----

local page = {}

function init(w)
	page = {}
	frame(w, "$604 ")
	paragraph(w, "$605 ", 130, 100)
	paragraph(w, "$606 ", 250, 120)
	paragraph(w, "$607 ", 400, 100)
	w:add_text("$608 ", vector2(64, 640), NOTE_COLOR, "FONT_SMALL")
	image(w, "IMAGE_HELP_PIPE", BOARD, PIPE_X, PIPE_Y)
	image(w, "IMAGE_HELP_BOARD", BOARD, BOARD_X, BOARD_Y)
	local arrow = image(w, "IMAGE_HELP_ARROW", EFFECT, 900, 262)
	arrow.angle = -1.5707
	drift(w, nil, "IMAGE_HELP_PIECE3")
	start_demo(w)
end

-- Pieces that only pass along the pipeline behind the demonstration.
function drift(w, p, id)
	if p then
		w:remove_image(p)
	end
	local piece = image(w, id, PIECE - 1, PIPE_X - 60, in_pipe(0).y)
	fade_in(piece, 400)
	add_move_action(piece, vector2(PIPE_X + 330, piece.pos.y), 6000, "drift", 0, id)
	add_delayed_call_action(piece, "drift_out", 5000)
end

function drift_out(w, p)
	add_alpha_action(p, 0, 1000, "", 0)
end

function start_demo(w)
	page.hand = page.hand or image(w, "IMAGE_HELP_HAND", HAND, 900, 560)
	local piece = image(w, "IMAGE_HELP_PIECE1", PIECE, PIPE_X - 40, in_pipe(0).y)
	page.first = piece
	fade_in(piece, 300)
	add_move_action(piece, vector2(PIPE_X + 150, piece.pos.y), 1800, "grab_first", 0)
	add_move_action(page.hand, vector2(PIPE_X + 210, PIPE_Y + 70), 1800, "", 0)
end

-- The hand holds the piece by the middle of its cells.
local function hand_at(p)
	return vector2(p.x + 60, p.y + 88)
end

local function carry(w, p, to, ms, next_function)
	add_move_action(p, to, ms, next_function, 0)
	add_move_action(page.hand, hand_at(to), ms, "", 0)
end

function grab_first(w, p)
	splash(w, p.pos.x + 66, p.pos.y + 93)
	carry(w, p, on_board(1, 2, 4, 1), 1200, "placed_first")
end

function placed_first(w, p)
	splash(w, p.pos.x + 66, p.pos.y + 93)
	add_delayed_call_action(p, "bring_second", 600)
end

function bring_second(w, p)
	local piece = image(w, "IMAGE_HELP_PIECE2", PIECE, PIPE_X - 40, in_pipe(0).y)
	page.second = piece
	fade_in(piece, 300)
	add_move_action(piece, vector2(PIPE_X + 110, piece.pos.y), 1500, "grab_second", 0)
	add_move_action(page.hand, vector2(PIPE_X + 170, PIPE_Y + 70), 1500, "", 0)
end

function grab_second(w, p)
	splash(w, p.pos.x + 66, p.pos.y + 93)
	carry(w, p, vector2(p.pos.x + 80, p.pos.y + 120), 900, "turn_second")
end

-- Two turns of the right button, shown as the piece spinning in the hand, then back into line.
function turn_second(w, p)
	add_rotate_action(p, 120, 500, "turn_again", 250)
end

function turn_again(w, p)
	add_rotate_action(p, 360, 700, "set_second", 250)
end

function set_second(w, p)
	p.angle = 0
	-- Mask cells 2:2, 3:2, 4:2 and 3:1 onto board cells 8:2, 9:2, 10:2 and 9:1.
	carry(w, p, on_board(2, 2, 8, 2), 900, "placed_second")
end

function placed_second(w, p)
	splash(w, p.pos.x + 86, p.pos.y + 90)
	add_move_action(page.hand, vector2(900, 560), 1200, "", 0)
	add_delayed_call_action(p, "clear_demo", 2000)
end

function clear_demo(w, p)
	add_alpha_action(page.first, 0, 600, "drop", 0)
	add_alpha_action(page.second, 0, 600, "drop", 0)
	add_delayed_call_action(page.hand, "start_demo", 900)
end

-- ---- Page 2: a pearl shows on the board and a piece collects it; the four tool creatures. ----

local TOOLS = {
	{ "IMAGE_HELP_PUFFERFISH", "$612 " },
	{ "IMAGE_HELP_HAMMERFISH", "$613 " },
	{ "IMAGE_HELP_SNAIL", "$614 " },
	{ "IMAGE_HELP_OCTOPUS", "$615 " },
}

function second_init(w)
	page = {}
	frame(w, "$609 ")
	paragraph(w, "$610 ", 130, 140)
	paragraph(w, "$611 ", 300, 100)
	image(w, "IMAGE_HELP_BOARD", BOARD, BOARD_X, PEARL_BOARD_Y)
	for i, tool in ipairs(TOOLS) do
		local x = 64 + (i - 1) * 232
		local creature = image(w, tool[1], PIECE, x, 450)
		creature.scale = 0.2
		creature.alpha = 0
		add_delayed_call_action(creature, "tool_appears", 300 * i)
		w:add_text(tool[2], vector2(x, 540), TEXT_COLOR, "FONT_TEXT", vector2(200, 80), 60)
	end
	start_pearl(w)
end

function tool_appears(w, p)
	add_scale_action(p, 1, 500, "", 0)
	add_alpha_action(p, 255, 500, "", 0)
	add_delayed_call_action(p, "tool_bob", 1200)
end

-- The creatures bob gently, one after another.
function tool_bob(w, p)
	local y = p.pos.y
	add_move_action(p, vector2(p.pos.x, y - 8), 400, "tool_settle", 0)
end

function tool_settle(w, p)
	add_move_action(p, vector2(p.pos.x, p.pos.y + 8), 400, "", 0)
	add_delayed_call_action(p, "tool_bob", 4000)
end

function start_pearl(w)
	local cx = BOARD_ORIGIN_X + 20 * PEARL_CELL_X + 20
	local cy = PEARL_BOARD_Y + 4 + 35 * PEARL_CELL_Y + 23
	local pearl = image(w, "IMAGE_HELP_PEARL", PEARL, cx - 16, cy - 16)
	page.pearl = pearl
	pearl.scale = 0.1
	add_scale_action(pearl, 1, 600, "pearl_waits", 0)
	splash(w, cx, cy)
end

function pearl_waits(w, p)
	page.hand = page.hand or image(w, "IMAGE_HELP_HAND", HAND, 900, 420)
	local piece = image(w, "IMAGE_HELP_PIECE4", PIECE, 860, 200)
	page.piece = piece
	fade_in(piece, 300)
	page.hand.pos = vector2(piece.pos.x + 60, piece.pos.y + 88)
	-- Mask cells 2:2 and 3:2 onto board cells 5:1 and 6:1: the pearl's cell is covered.
	local to = on_board(2, 2, PEARL_CELL_X, PEARL_CELL_Y, PEARL_BOARD_Y + 4)
	add_move_action(piece, to, 1400, "pearl_taken", 300)
	add_move_action(page.hand, vector2(to.x + 60, to.y + 88), 1400, "", 300)
end

function pearl_taken(w, p)
	local pearl = page.pearl
	add_move_action(pearl, vector2(pearl.pos.x + 160, pearl.pos.y - 120), 700, "", 0)
	add_alpha_action(pearl, 0, 700, "drop", 0)
	page.note = w:add_text("$616 ", vector2(BOARD_X + 280, PEARL_BOARD_Y + 40), NOTE_COLOR, "FONT_DEFAULT")
	add_move_action(page.hand, vector2(900, 420), 1000, "", 0)
	add_delayed_call_action(p, "pearl_again", 2200)
end

function pearl_again(w, p)
	w:remove_text(page.note)
	add_alpha_action(p, 0, 500, "drop", 0)
	add_delayed_call_action(page.hand, "restart_pearl", 800)
end

function restart_pearl(w, p)
	start_pearl(w)
end
