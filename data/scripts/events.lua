-- The game's event hooks: the game calls these global functions by name while it runs.
-- A hook may be left empty; a missing one costs a line in the log and nothing else.

-- How long (ms) the pointer rests on a play-screen button before its hint may show.
local HINT_DELAY = 800

function main()
end

-- A level's info panel has been set up.
function hint_main()
	for _, id in ipairs({controls.button_pufferfish, controls.button_snail, controls.button_hammerfish,
			controls.button_octopus, controls.button_nextice}) do
		set_control_pause(id, HINT_DELAY)
	end
end

function on_widget_click(id, x, y, flag)
end

function on_mouse_click(id, x, y, cursor, flag)
end

-- The pointer rested on a control for its hint delay.
function on_mouse_hold(id, x, y, flag)
end

function on_end_level(level)
end

function on_pearl_count_changed(zero, count, from_board)
end

function on_pearl_creation(id)
	play_sound("SOUND_PEARL_APPEAR")
end

function on_bonus_used(code)
end

function on_mouse_enter(id, cursor)
end

function on_create_element(id, element)
end

function on_drop_element(id, element)
end

function on_pickup_element(id, element, fits, on_water)
end

function on_insert_element(id, element, inserted)
end

-- A creature set free by a bonus has splashed into the water (its id, e.g. "crab").
function on_drop_in_water(animal)
	play_sound("SOUND_SPLASH")
end

-- The first birds of a session point out that they can be caught; later ones fly by unannounced.
local BIRD_HINTS = 2
local bird_hints_shown = 0

-- A bird has been in the sky long enough to be noticed: its control id and where it is.
function on_bird_created(id, x, y)
	if bird_hints_shown >= BIRD_HINTS then
		return
	end
	bird_hints_shown = bird_hints_shown + 1
	set_hint_font("FONT_TEXT")
	add_hint_to_control(id, local_string("$420"), vector2(x - 100, y + 40), 200, 44, 300, 2500, false, false, true)
end
