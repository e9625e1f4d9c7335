-- The main menu's snow: a thin fall of flakes drifting down over the scene. The snow effect calls
-- "init" once and "update" at every step, each time with itself.

local GROUP = 1
local FLAKES = 70
local IMAGE = "IMAGE_SNOWFLAKE"
-- A flake's speed and life both follow its scale, so every flake crosses the whole screen.
local LIFETIME = 16000

local function emit_flake(effect)
	local scale = 0.4 + math.random() * 0.8
	local pos = vector2(math.random(-40, 1024), -20)
	local vel = vector2(math.random(-20, 20), 40 + math.random() * 30)
	local acc = vector2(math.random(-5, 5), 0)
	effect:emit(GROUP, IMAGE, pos, vel, acc, scale, LIFETIME)
end

-- The effect spreads these over their lives at once, so the screen starts snowing everywhere.
function init(effect)
	for i = 1, FLAKES do
		emit_flake(effect)
	end
end

function update(effect)
	if effect:enum_snowflakes(GROUP) < FLAKES then
		emit_flake(effect)
	end
end
