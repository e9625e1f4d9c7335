-- Snow over the main menu: three depths of flakes falling across the whole screen. Far flakes are
-- small soft dots that drift slowly, near ones are larger crystals that fall faster. The effect scales
-- a flake's speed by its size and divides its life by it, so every flake of one depth covers the same
-- distance: from just above the top edge to just below the bottom one.

-- Where flakes may be: the screen and a margin round it that a flake's drift and size need.
area = rect(-100, -40, 1224, 848)

local top = -24
local width = 1024
-- Base motion (at scale 1): down at fall px/s for life ms, so every flake falls fall * life / 1000.
local depths = {
	{group = 1, image = "IMAGE_SNOWFLAKE_SOFT", count = 70, min_scale = 0.6, max_scale = 0.9, fall = 55, drift = 5},
	{group = 2, image = "IMAGE_SNOWFLAKE", count = 45, min_scale = 0.7, max_scale = 1.0, fall = 65, drift = 7},
	{group = 3, image = "IMAGE_SNOWFLAKE", count = 15, min_scale = 1.1, max_scale = 1.4, fall = 80, drift = 9},
}
-- 800 px of fall: from above the screen to just past its foot.
local fall_distance = 800

local function between(a, b)
	return a + (b - a) * math.random()
end

local function emit_flake(effect, depth)
	local scale = between(depth.min_scale, depth.max_scale)
	local sway = between(-depth.drift, depth.drift)
	local life = math.floor(fall_distance * 1000 / depth.fall)
	effect:emit(depth.group, depth.image, vector2(between(0, width), top), vector2(sway, depth.fall),
		vector2(0, 0), scale, life)
end

function init(effect)
	for _, depth in ipairs(depths) do
		for i = 1, depth.count do
			emit_flake(effect, depth)
		end
	end
end

-- A few new flakes a step at most, so a field that has thinned out fills again gently.
function update(effect)
	for _, depth in ipairs(depths) do
		local missing = depth.count - effect:enum_snowflakes(depth.group)
		for i = 1, math.min(missing, 2) do
			emit_flake(effect, depth)
		end
	end
end
