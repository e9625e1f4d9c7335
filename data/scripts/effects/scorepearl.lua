-- The particles of a pearl won by score: a ring of stars that opens out around the pearl counter and
-- fades, with a soft glow in its middle.

local centre = vector2(950, 184)
local started = false

function init(system)
	add_color_decay_action(system, color(255, 255, 220, 255), color(255, 220, 120, 0), 0)
end

function update(system, ms)
	if started then
		return
	end
	started = true
	for i = 0, 15 do
		local angle = i / 16 * 6.283
		local p = particle_class("IMAGE_EFFECTS_STARS", centre, angle, 900)
		p.vel = vector2(math.cos(angle) * 110, math.sin(angle) * 110)
		p.acc = vector2(-math.cos(angle) * 60, -math.sin(angle) * 60)
		p:set_scaling(0.8, 0.3)
		system:emit(0, p)
	end
	local glow = particle_class("IMAGE_EFFECTS_HAZE", centre, 0, 700)
	glow:set_scaling(1.0, 2.5)
	system:emit(1, glow)
end
